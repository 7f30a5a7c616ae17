#!/bin/sh
# Installs those of the given Debian packages that are not installed yet, with apt-get
# (as root, or through sudo). Does nothing, not even `apt-get update`, when all are there.
#
# Usage: tools/install-missing.sh LABEL PACKAGE...
set -eu
label=$1
shift

if [ "$(id -u)" -eq 0 ]; then as_root=""; else as_root="sudo"; fi

missing=""
for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    echo "$label: installing$missing"
    $as_root apt-get update
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
fi
