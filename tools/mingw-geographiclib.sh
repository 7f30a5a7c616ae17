#!/bin/sh
# GeographicLib for the Windows build: Debian's source package of the library, built once
# with the project's MinGW-w64 toolchain into a static library, in a cache folder that
# outlives the build folders. Prints that folder (holding include/ and lib/) on the last
# line of its output; progress goes to standard error. Called by
# tools/install-windows-deps.sh and, when the library is missing, by the Windows build's
# CMake configure (placement/CMakeLists.txt).
#
# Usage: tools/mingw-geographiclib.sh
#   TESSELLA_DEPS_CACHE   the cache folder (default: ${XDG_CACHE_HOME:-$HOME/.cache}/tessella)
#
# The source comes from the archive the machine's own apt sources name, through a deb-src
# list, package lists and an apt cache of this script's own (given to apt-get by option):
# the machine's sources and lists are left as they are. Needs apt-get, dpkg-source
# (dpkg-dev), cmake, make, flock and the MinGW-w64 compilers; no root.
set -eu

here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
cache="${TESSELLA_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tessella}"
prefix="$cache/mingw-w64-geographiclib"
stamp="$prefix/built-from"

say() { echo "mingw-geographiclib: $*" >&2; }
fail() { say "$*"; exit 1; }

if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
# One build at a time; a second caller waits and then finds the first one's library.
exec 9>"$cache/mingw-w64-geographiclib.lock"
flock 9
if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

for tool in apt-get dpkg-source cmake make x86_64-w64-mingw32-g++-posix; do
    command -v "$tool" >/dev/null 2>&1 ||
        fail "$tool is missing: run tools/install-build-deps.sh --minimal and tools/install-windows-deps.sh"
done

# The machine's Debian archive and release: the first "deb" source of the release itself
# (not its -updates or -security suites), in deb822 (.sources) or one-line form.
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
[ -n "$codename" ] || fail "no VERSION_CODENAME in /etc/os-release"
archive=""
keyring=""
for list in /etc/apt/sources.list.d/*.sources; do
    [ -f "$list" ] || continue
    found="$(awk -v suite="$codename" '
        function flush() {
            if (types ~ /(^| )deb( |$)/ && (" " suites " ") ~ (" " suite " ") && uris != "") print uris "|" signed
            types = ""; suites = ""; uris = ""; signed = ""
        }
        /^[ \t]*$/ { flush(); next }
        /^#/ { next }
        tolower($1) == "types:"     { $1 = ""; types = substr($0, 2) }
        tolower($1) == "suites:"    { $1 = ""; suites = substr($0, 2) }
        tolower($1) == "uris:"      { uris = $2 }
        tolower($1) == "signed-by:" { signed = $2 }
        END { flush() }' "$list" | head -n 1)"
    if [ -n "$found" ]; then
        archive="${found%%|*}"
        keyring="${found#*|}"
        break
    fi
done
if [ -z "$archive" ]; then
    for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$list" ] || continue
        archive="$(awk -v suite="$codename" '
            $1 == "deb" { i = 2; if ($i ~ /^\[/) while ($i !~ /\]$/) i++; if ($i ~ /\]$/ && $2 ~ /^\[/) i++
                          if ($(i + 1) == suite) { print $i; exit } }' "$list")"
        [ -n "$archive" ] && break
    done
fi
[ -n "$archive" ] || fail "no Debian archive for $codename in the machine's apt sources"
[ -n "$keyring" ] || keyring=/usr/share/keyrings/debian-archive-keyring.gpg

work="$(mktemp -d "$cache/mingw-w64-geographiclib.work.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/apt/sources" "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/source"
cat >"$work/apt/sources/source.sources" <<EOF
Types: deb-src
URIs: $archive
Suites: $codename
Components: main
Signed-By: $keyring
EOF
set -- -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/apt/sources" \
    -o Dir::State::Lists="$work/apt/lists" -o Dir::Cache="$work/apt/cache" -o Debug::NoLocking=true
# As root apt would fetch as _apt, which cannot write into this cache folder.
[ "$(id -u)" -eq 0 ] && set -- "$@" -o APT::Sandbox::User=root

say "fetching Debian's source package of GeographicLib ($codename, $archive)"
apt-get "$@" -qq update >&2 || fail "apt-get update of the deb-src list failed"
(cd "$work/source" && apt-get "$@" -qq source --download-only geographiclib >&2) ||
    fail "apt-get source geographiclib failed"
dsc="$(ls "$work/source"/geographiclib_*.dsc)"
# apt checked the files against the archive's signed index; dpkg-source's own check of the
# .dsc's signature needs Debian's developer keyring, which is not installed: its log is
# shown only when unpacking fails.
dpkg-source -x "$dsc" "$work/source/tree" >"$work/unpack.log" 2>&1 ||
    { cat "$work/unpack.log" >&2; fail "dpkg-source -x $dsc failed"; }

say "building $(basename "$dsc" .dsc) for MinGW-w64 (a static library, once)"
cmake -S "$work/source/tree" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_DOCUMENTATION=OFF -DBUILD_MANPAGES=OFF \
    -DCMAKE_INSTALL_PREFIX="$work/prefix" -DBINDIR= -DSBINDIR= -DMANDIR= -DDOCDIR= -DEXAMPLEDIR= \
    -DCMAKEDIR= -DPKGDIR= >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; fail "configuring GeographicLib failed"; }
cmake --build "$work/build" -j2 --target GeographicLib_STATIC >"$work/build.log" 2>&1 ||
    { tail -n 30 "$work/build.log" >&2; fail "building GeographicLib failed"; }
cmake --install "$work/build" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "installing GeographicLib into $work/prefix failed"; }
[ -f "$work/prefix/lib/libGeographicLib.a" ] && [ -f "$work/prefix/include/GeographicLib/Geodesic.hpp" ] ||
    fail "the build left no lib/libGeographicLib.a and include/GeographicLib/ in $work/prefix"
basename "$dsc" .dsc >"$work/prefix/built-from"

rm -rf "$prefix"
mv "$work/prefix" "$prefix"
say "GeographicLib for MinGW-w64 is in $prefix"
echo "$prefix"
