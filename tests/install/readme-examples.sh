#!/bin/sh
# Runs the examples of README.md and compares what they print with what the README shows.
# A checked example is a fenced block right after the line
#   <!-- checked: tests/install/readme-examples.sh -->
# In it, "$ " starts a command (continued on the next lines while it ends in "\" or has
# a quote open); the lines up to the next command are what it prints, standard output
# and standard error together. The blocks run in README order, as one shell session, in
# a folder that holds east-asia.bmp (the bundled sample) and earth.jpg (a 2048 x 1024
# stand-in for the picture the README prepares); the README shows that folder as
# /home/me/maps. `tessella` is the built one. The command line's usage block must be the
# usage that tessella --help prints, and so must the usage block of the Windows page
# (packaging/windows/README-Windows.html.in, <pre class="usage">), as tessella-cli.
#
# Usage: readme-examples.sh SOURCE_DIR TESSELLA_DIR WORK_DIR
set -eu
src=$1
bin_dir=$(cd "$2" && pwd)
work=$3

rm -rf "$work"
mkdir -p "$work/maps"
work=$(cd "$work" && pwd -P)
maps=$work/maps
cp "$src/samples/east-asia.bmp" "$maps/"
convert "$src/samples/east-asia.bmp" -resize '2048x1024!' "$maps/earth.jpg"

awk -v script="$work/examples.sh" -v expected="$work/expected.txt" -v q="'" '
    function flush_command() {
        if (command != "") print command > script
        command = ""
    }
    function quotes_open(text,    n) {
        n = gsub(q, "&", text)
        return n % 2 == 1
    }
    /^<!-- checked: tests\/install\/readme-examples.sh -->$/ { armed = 1; next }
    armed && /^```/ { armed = 0; inside = 1; blocks++
        printf "echo \"=== README.md line %d\"\n", NR > script
        printf "=== README.md line %d\n", NR > expected
        next }
    armed { armed = 0 }
    inside && /^```/ { flush_command(); inside = 0; next }
    inside && command != "" && (command ~ /\\$/ || quotes_open(command)) {
        command = command "\n" $0; next }
    inside && /^\$ / { flush_command(); command = substr($0, 3); next }
    inside { flush_command(); print > expected }
    END {
        if (blocks == 0) { print "no checked example found" > "/dev/stderr"; exit 1 }
    }
' "$src/README.md"

# The commands of one block after another, their output as one stream, with the folder
# shown as the README shows it.
(cd "$maps" && PATH="$bin_dir:$PATH" LC_ALL=C.UTF-8 sh "$work/examples.sh") > "$work/raw.txt" 2>&1 || true
sed "s|$maps|/home/me/maps|g" "$work/raw.txt" > "$work/actual.txt"

if ! diff -u "$work/expected.txt" "$work/actual.txt"; then
    echo "FAIL: README.md's examples print otherwise (- README, + tessella); the commands run:" >&2
    cat "$work/examples.sh" >&2
    exit 1
fi
# The usage block (marked "checked: tessella --help usage") is the usage of --help.
awk '/^<!-- checked: tessella --help usage -->$/ { armed = 1; next }
     armed && /^```/ { armed = 0; inside = 1; next }
     armed { armed = 0 }
     inside && /^```/ { inside = 0; next }
     inside' "$src/README.md" > "$work/usage-readme.txt"
[ -s "$work/usage-readme.txt" ] || { echo "FAIL: README.md has no checked usage block" >&2; exit 1; }
"$bin_dir/tessella" --help | sed -n '/^Usage:$/,/^$/{/^Usage:$/d; /^$/d; s/^  //; p}' > "$work/usage-help.txt"
if ! diff -u "$work/usage-readme.txt" "$work/usage-help.txt"; then
    echo "FAIL: README.md's usage block is not that of tessella --help (- README, + tessella)" >&2
    exit 1
fi

# The Windows page's usage is the same, with tessella-cli for tessella.
awk '/<pre class="usage">/ { inside = 1; next }
     inside && /<\/pre>/ { inside = 0 }
     inside' "$src/packaging/windows/README-Windows.html.in" | tr -d '\r' > "$work/usage-windows.txt"
[ -s "$work/usage-windows.txt" ] || { echo "FAIL: the Windows page has no usage block" >&2; exit 1; }
sed -e 's/^tessella /tessella-cli /' -e 's/^ /    &/' "$work/usage-help.txt" > "$work/usage-help-windows.txt"
if ! diff -u "$work/usage-windows.txt" "$work/usage-help-windows.txt"; then
    echo "FAIL: the Windows page's usage block is not that of tessella --help (- page, + tessella)" >&2
    exit 1
fi

echo "README.md's examples print what the README shows ($(grep -c '^=== ' "$work/expected.txt") blocks)"
