#!/bin/sh
# make, on a machine that may not have it yet: installs Debian's make when it is missing,
# then runs it with the given targets. `./make.sh run` and `./make.sh test` are the
# README's two commands; every other target of the Makefile works the same way.
set -eu
cd "$(dirname "$0")"
command -v make >/dev/null 2>&1 || tools/install-missing.sh make.sh make
exec make "$@"
