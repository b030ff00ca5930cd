#!/usr/bin/env bash
# Sets everything up and then plays or tests Zunk.
#   ./zunk.sh play      install what is missing, build, start the game
#   ./zunk.sh test      install what is missing, build, run every test
#                       (also once under AddressSanitizer + UBSan, and the
#                       sound and window tests under ThreadSanitizer)
#   ./zunk.sh build     install what is missing and build
#   ./zunk.sh package   build the Debian packages here: the game's,
#                       zunk_<version>_<arch>.deb, and the engine's,
#                       zunk-engine-dev_<version>_<arch>.deb
#   ./zunk.sh web       build the browser version into build-web/ (its
#                       libraries from Debian's sources, cached in
#                       ~/.cache/zunk-web or $ZUNK_WEB_CACHE); the site to
#                       put on any static host is build-web/site/
#   ./zunk.sh serve     serve build-web/site/ on 127.0.0.1 and print the
#                       address (port 8080, or $ZUNK_WEB_PORT)
#   ./zunk.sh web-test  build the browser version and test it in headless Chromium
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

packages=(build-essential cmake pkg-config clang libclang-rt-14-dev libsdl2-dev libsdl2-image-dev libvorbis-dev libogg-dev
  libdbus-1-dev libdumb1-dev libgl-dev libgles-dev libgtest-dev libgmock-dev libbenchmark-dev libcairo2-dev libpango1.0-dev gettext
  xvfb xauth xdotool x11-utils openbox imagemagick desktop-file-utils appstream man-db)
# The tests also run the data generator, which draws every language's words:
# its fonts (Japanese and Chinese among them) are needed for that alone; the
# shaders are checked by the reference GLSL compiler as well as the driver;
# weston runs the Wayland scenario (its X11 backend inside Xvfb).
test_packages=(fonts-dejavu-core fonts-noto-cjk lintian glslang-tools weston dbus-daemon python3-dbus)
# Building the package: dpkg-shlibdeps (its dependencies) and file (which
# files are programs).
package_packages=(dpkg-dev file)
# The browser build: Debian's emscripten, the libraries' sources unpacked by
# dpkg-source and fetched with curl; its tests drive headless Chromium from
# Python.
web_packages=(emscripten dpkg-dev curl python3 chromium-headless-shell)

install() { # extra packages...
  local missing=()
  for p in "${packages[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() { # folder, extra cmake arguments...
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNK_TOOLS=ON "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

# The packages' build: as Debian builds its own (hardened, optimised, the
# games layout), in build-package; cpack there writes the game's package and
# the engine's.
package() {
  local flags
  flags="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)"
  CFLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CFLAGS) $flags" \
    CXXFLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS) $flags" \
    LDFLAGS="$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" \
    cmake -S . -B build-package -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
    -DZUNK_INSTALL_DATADIR=share/games/zunk -DZUNK_TESTS=OFF -DZUNK_BENCH=OFF -DZUNK_TOOLS=OFF >/dev/null
  cmake --build build-package -j"$(nproc)"
  rm -f build-package/zunk_*.deb build-package/zunk-engine-dev_*.deb zunk_*.deb zunk-engine-dev_*.deb
  (cd build-package && cpack >/dev/null)
  cp build-package/zunk_*.deb build-package/zunk-engine-dev_*.deb .
  echo "Built: $(ls zunk_*.deb zunk-engine-dev_*.deb)"
}

# The browser build, in build-web; the site (the page, zunk.js, zunk.wasm,
# zunk.data, the sheets, the manifest, the service worker, gzip twins) in
# build-web/site.
web() {
  local prefix
  prefix=$(bash web/libraries.sh)
  # emscripten's tools load Debian's node modules, whichever node is first.
  export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release -DZUNK_WEB_PREFIX="$prefix" >/dev/null
  cmake --build build-web -j"$(nproc)"
  echo "Built: build-web/site/ (./zunk.sh serve shows it)"
}

# The browser tests: the page in headless Chromium, in `test` as well while
# web_tests_ready is 1.
web_tests_ready=1
web_test() {
  web
  python3 tests/web/checks.py build-web
}

case "${1:-}" in
web)
  install "${web_packages[@]}"
  web
  ;;
serve)
  [ -f build-web/site/index.html ] || { echo "Nothing to serve: ./zunk.sh web builds build-web/site/ first" >&2; exit 1; }
  exec python3 web/serve.py build-web/site "${ZUNK_WEB_PORT:-8080}"
  ;;
web-test)
  install "${web_packages[@]}"
  web_test
  ;;
play)
  install
  build build
  exec ./build/zunk
  ;;
build)
  install
  build build
  ;;
package)
  install "${package_packages[@]}"
  package
  ;;
test)
  install "${test_packages[@]}" "${package_packages[@]}"
  # The generator must never rot: it runs into a scratch folder.
  build build
  scratch=$(mktemp -d)
  ./build/makedata "$scratch" --preview "$scratch"
  rm -rf "$scratch"
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
  build build-asan -DZUNK_SANITIZE=ON -DZUNK_BENCH=OFF
  (cd build-asan && LSAN_OPTIONS=suppressions=$root/tests/lsan.supp ctest --output-on-failure -L 'unit|gl')
  echo "== ThreadSanitizer: the suites with the audio thread"
  build build-tsan -DZUNK_TSAN=ON -DZUNK_BENCH=OFF
  (cd build-tsan && LP_NUM_THREADS=0 TSAN_OPTIONS="halt_on_error=1 suppressions=$root/tests/tsan.supp" ctest --output-on-failure -L threads)
  echo "== Fuzz targets, a short fixed run each"
  CC=clang CXX=clang++ build build-fuzz -DZUNK_FUZZ=ON -DZUNK_TESTS=OFF -DZUNK_BENCH=OFF -DZUNK_TOOLS=OFF
  bash tests/fuzz/run.sh build-fuzz 2000
  echo "== The whole suite"
  (cd build && ctest --output-on-failure)
  if [ "$web_tests_ready" = 1 ]; then
    echo "== The browser version in headless Chromium"
    install "${web_packages[@]}"
    web_test
  fi
  echo "== The Debian packages"
  package
  if [ "$(id -u)" -eq 0 ]; then
    bash tests/package.sh zunk_*.deb build/tests/closewindow
    bash tests/devpackage.sh zunk-engine-dev_*.deb .
  else
    # Installing it changes the system: that part runs as root (as in CI).
    echo "Not root: the package is checked by lintian, not installed."
    lintian --fail-on error zunk_*.deb zunk-engine-dev_*.deb
  fi
  ;;
*)
  echo "usage: $0 play|test|build|package|web|serve|web-test" >&2
  exit 2
  ;;
esac
