#!/usr/bin/env bash
# Builds the libraries of the browser build (zlib, libpng, libogg, libvorbis
# with vorbisfile, DUMB, SDL2, SDL2_image) to WebAssembly with Debian's
# emscripten, from Debian's own source packages: each .dsc is fetched from
# Debian's archive and checked against its pinned hash (web/sources), every
# file it lists against the .dsc's checksums, Debian's patches applied by
# dpkg-source. Nothing comes from anywhere else.
#
#   web/libraries.sh            build what is missing; print the prefix
#
# The result is kept outside the tree, in $ZUNK_WEB_CACHE (by default
# ~/.cache/zunk-web), under a name made from everything that decides it (the
# pins, this script, the patch, the compiler's version): a second run finds
# it and takes a moment. The last line printed is the prefix, which holds
# include/, lib/ and lib/pkgconfig/.
#
# ZUNK_DEBIAN_MIRROR    Debian's archive (default http://deb.debian.org/debian)
# ZUNK_WEB_JOBS         parallel compile jobs (default: the cores)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
mirror=${ZUNK_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${ZUNK_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zunk-web}
jobs=${ZUNK_WEB_JOBS:-$(nproc)}
# Size over speed for what runs in the page: the game's work a frame is small.
opt_flags="-O2"

say() { echo "web/libraries: $*" >&2; }
fail() {
  say "$*"
  exit 1
}

command -v emcc >/dev/null || fail "emcc is missing: apt-get install emscripten"
command -v dpkg-source >/dev/null || fail "dpkg-source is missing: apt-get install dpkg-dev"
# The link step of emscripten's tools loads Debian's node modules.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}

# Everything that decides the result names it.
key=$( (
  cat "$here/sources" "$0" "$here/dumb-envelope-nodes.patch"
  emcc --version | head -1
  echo "$opt_flags"
) | sha256sum | cut -c1-16)
prefix=$cache/libs-$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

downloads=$cache/downloads
work=$cache/work-$key
mkdir -p "$downloads"
rm -rf "$work" "$prefix"
mkdir -p "$work" "$prefix"

# fetch FILE POOL-FOLDER: into $downloads, unless already there.
fetch() {
  local file=$1 pool=$2
  [ -f "$downloads/$file" ] && return 0
  # Debian's file names escape nothing but '+', which a URL may carry.
  if ! curl -fs --retry 3 -o "$downloads/$file.part" "$mirror/$pool/$file"; then
    rm -f "$downloads/$file.part"
    return 1
  fi
  mv "$downloads/$file.part" "$downloads/$file"
}

# check FILE SHA256 [SIZE]: the file's hash (and size) as stated, or it is removed.
check() {
  local file=$1 sum=$2 size=${3:-}
  local got
  got=$(sha256sum "$downloads/$file" | cut -d' ' -f1)
  if [ "$got" != "$sum" ] || { [ -n "$size" ] && [ "$(stat -c %s "$downloads/$file")" != "$size" ]; }; then
    rm -f "$downloads/$file"
    fail "$file does not match its checksum (removed; run again to fetch it anew)"
  fi
}

# unpack PACKAGE VERSION POOL DSC-SHA256: the source tree, patched, in $work/PACKAGE.
unpack() {
  local package=$1 version=$2 pool=$3 sum=$4
  local upstream=${version#*:}
  local dsc=${package}_${upstream}.dsc
  fetch "$dsc" "$pool" || fail "$package $version is not in the archive ($mirror/$pool): pin its current version in web/sources"
  check "$dsc" "$sum"
  # The files the .dsc lists, with their sizes and SHA-256 sums.
  local missing=()
  while read -r fsum fsize fname; do
    if fetch "$fname" "$pool"; then
      check "$fname" "$fsum" "$fsize"
    else
      missing+=("$fname")
    fi
  done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$downloads/$dsc")
  local dest=$work/$package
  if [ ${#missing[@]} -eq 0 ]; then
    (cd "$work" && dpkg-source --no-check -x "$downloads/$dsc" "$package" >/dev/null)
    return 0
  fi
  # DUMB's Debian tarball has left the archive: its original tarball alone
  # unpacks, and the one code patch Debian carried is made here.
  [ "$package" = libdumb ] && [ ${#missing[@]} -eq 1 ] && [[ ${missing[0]} == *.debian.tar.* ]] ||
    fail "$package: ${missing[*]} not in the archive"
  say "$package: ${missing[0]} is not in the archive: the original tarball with our own patch"
  local orig
  orig=$(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$downloads/$dsc" | awk '{print $3}' | grep '\.orig\.tar\.')
  mkdir -p "$dest"
  tar -xf "$downloads/$orig" -C "$dest" --strip-components=1
  patch -s -p1 -d "$dest" <"$here/dumb-envelope-nodes.patch"
}

started=$(date +%s)
while read -r package version pool sum; do
  case $package in '' | '#'*) continue ;; esac
  say "$package $version"
  unpack "$package" "$version" "$pool" "$sum"
done <"$here/sources"

export CFLAGS="$opt_flags"
export CXXFLAGS="$opt_flags"
# CMake projects find each other in the prefix, and nothing of the host's.
cmake_common=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_FIND_ROOT_PATH="$prefix"
  -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF)

# cmake_build PACKAGE [cmake arguments...]
cmake_build() {
  local package=$1
  shift
  say "building $package"
  emcmake cmake -S "$work/$package" -B "$work/$package/build-web" "${cmake_common[@]}" "$@" >"$work/$package.log" 2>&1 ||
    fail "$package: configuring failed, see $work/$package.log"
  cmake --build "$work/$package/build-web" -j"$jobs" >>"$work/$package.log" 2>&1 ||
    fail "$package: building failed, see $work/$package.log"
  cmake --install "$work/$package/build-web" >>"$work/$package.log" 2>&1 ||
    fail "$package: installing failed, see $work/$package.log"
}

# archive NAME OBJECT-FOLDER FLAGS SOURCES...: compiles C sources with the
# extra FLAGS into lib/libNAME.a.
archive() {
  local name=$1 objects=$2
  export ARCHIVE_FLAGS=$3
  shift 3
  mkdir -p "$objects"
  local objs=() pairs=()
  for source in "$@"; do
    local obj
    obj=$objects/$(basename "${source%.c}").o
    objs+=("$obj")
    pairs+=("$source" "$obj")
  done
  printf '%s\n' "${pairs[@]}" | xargs -P "$jobs" -n 2 sh -c 'emcc $CFLAGS $ARCHIVE_FLAGS -c "$0" -o "$1"' ||
    fail "$name: compiling failed"
  emar rcs "$prefix/lib/lib$name.a" "${objs[@]}"
}
mkdir -p "$prefix/lib" "$prefix/include"

# zlib's CMake build wants the Windows files Debian's tarball leaves out:
# its sources are compiled as they are.
say "building zlib"
zlib=$work/zlib
archive z "$zlib/build-web" "-DHAVE_UNISTD_H -DHAVE_STDARG_H" $(for f in adler32 compress crc32 deflate gzclose gzlib gzread \
  gzwrite infback inffast inflate inftrees trees uncompr zutil; do echo "$zlib/$f.c"; done)
cp "$zlib/zlib.h" "$zlib/zconf.h" "$prefix/include/"

cmake_build libpng1.6 -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF
# libogg's type-size checks run a program, which a cross build cannot: the
# sizes WebAssembly has are given.
cmake_build libogg -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF -DINT16_SIZE=2 -DUINT16_SIZE=2 -DU_INT16_SIZE=2 \
  -DINT32_SIZE=4 -DUINT32_SIZE=4 -DU_INT32_SIZE=4 -DINT64_SIZE=8 -DUINT64_SIZE=8 -DU_INT64_SIZE=8 -DSHORT_SIZE=2 \
  -DINT_SIZE=4 -DLONG_SIZE=4 -DLONG_LONG_SIZE=8
cmake_build libvorbis -DBUILD_TESTING=OFF

# DUMB's makefile asks questions: its core, helpers and module readers are
# compiled as they are (the Allegro part is not wanted).
say "building libdumb"
dumb=$work/libdumb
archive dumb "$dumb/build-web" "-w -I$dumb/include" \
  "$dumb"/src/core/*.c "$dumb"/src/helpers/*.c "$dumb"/src/it/*.c
cp "$dumb/include/dumb.h" "$prefix/include/"

# SDL without threads: the page's one thread runs the game, and the sound
# mixer runs in the browser's audio callbacks.
cmake_build libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_THREADS=OFF
cmake_build libsdl2-image -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
  -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_BACKEND_STB=OFF -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_TIF=OFF \
  -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_SVG=OFF -DSDL2_DIR="$prefix/lib/cmake/SDL2"

# pkg-config files for what installs none: zlib, compiled above, and
# SDL_image, whose CMake build writes one only beside a shared library.
pc() { # name version libs requires [extra cflags]
  cat >"$prefix/lib/pkgconfig/$1.pc" <<EOF
prefix=$prefix
Name: $1
Description: $1, built for the browser from Debian's sources
Version: $2
Requires: $4
Libs: -L\${prefix}/lib $3
Cflags: -I\${prefix}/include${5:-}
EOF
}
[ -f "$prefix/lib/pkgconfig/zlib.pc" ] || pc zlib 1.2.13 -lz ""
[ -f "$prefix/lib/pkgconfig/SDL2_image.pc" ] || pc SDL2_image 2.6.3 -lSDL2_image "sdl2 libpng" " -I\${prefix}/include/SDL2"

rm -rf "$work"
touch "$prefix/.complete"
say "built in $(($(date +%s) - started)) s"
echo "$prefix"
