#!/usr/bin/env bash
# The engine's Debian package as a programmer gets it: lintian reports no
# error, apt-get installs it with what it needs, the tour in examples/ builds
# against it from the system's own folders alone, and a purge leaves nothing
# of it behind. It installs and removes a package: run as root, as CI does.
#   devpackage.sh <zunk-engine-dev_*.deb> <source folder>
set -u
deb=$(realpath "$1")
src=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
suite=devpackage
source "$here/checks.sh"
installed() { dpkg-query -W -f='${Status}' zunk-engine-dev 2>/dev/null | grep -q 'install ok installed'; }

echo "devpackage: $(basename "$deb"), $(stat -c %s "$deb") bytes"
check "lintian reports an error" lintian --fail-on error "$deb"
check "apt-get could not install it" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
if installed; then
  dpkg-query -L zunk-engine-dev | sort >"$work/files"
  check "pkg-config does not find the engine" pkg-config --exists zunk-engine
  check "the tour does not build against the installed package" bash -c \
    "cmake -S '$src/examples' -B '$work/tour' -DTOUR_DATA='$src/data' >/dev/null && cmake --build '$work/tour' >/dev/null"
  check "the tour is not a program" test -x "$work/tour/tour"
  check "apt-get could not purge it" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq zunk-engine-dev
  check "the purge left files behind" bash -c "! grep -v '^/\\.\$' '$work/files' | while read -r f; do [ -f \"\$f\" ] && echo \"\$f\"; done | grep -q ."
fi
tally
