#!/usr/bin/env bash
# Cross-builds the static Windows libraries (libjpeg-turbo, libpng, libtiff, giflib, LibRaw)
# from Debian's source packages into a cache folder. The folder's name carries a hash of this
# script and the toolchain file, so a change to either builds a fresh set; an existing complete
# set is reused at once.
#   usage: build-win-deps.sh            prints nothing when the cache is ready
#          build-win-deps.sh --prefix   prints the cache folder (building it first if needed)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
toolchain="$root/cmake/mingw-w64.cmake"
hash=$(cat "$0" "$toolchain" | sha256sum | cut -c1-12)
cache_root=${GLINTORA_DEPS_CACHE:-/var/cache/glintora}
prefix="$cache_root/win-deps-$hash"

if [[ -f "$prefix/.complete" ]]; then
  [[ "${1:-}" == --prefix ]] && echo "$prefix"
  exit 0
fi

mkdir -p "$cache_root"
exec 9>"$cache_root/.lock"
flock 9
if [[ -f "$prefix/.complete" ]]; then
  [[ "${1:-}" == --prefix ]] && echo "$prefix"
  exit 0
fi

log() { echo "build-win-deps: $*" >&2; }
jobs=$(nproc)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib"

# Source packages come through apt; enable the source type once by copying the machine's own
# Debian sources with the type changed.
if ! apt-cache showsrc libpng1.6 2>/dev/null | grep -q '^Version:'; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ "$f" == */glintora-src.sources ]] && continue
    grep -q '^Types: deb$' "$f" && sed 's/^Types: deb$/Types: deb-src/' "$f"
  done > /etc/apt/sources.list.d/glintora-src.sources
  apt-get update -qq
fi

# Unpacks the newest version of a source package that the mirror still holds (some
# security-update versions are listed but missing) and prints its folder.
src_of() {
  local pkg=$1 v dir="$work/src-$1"
  mkdir -p "$dir"
  for v in $(apt-cache showsrc "$pkg" | awk '/^Version:/{print $2}' | sort -rV -u); do
    if (cd "$dir" && apt-get source -qq "$pkg=$v" >/dev/null 2>&1); then
      log "$pkg $v"
      find "$dir" -maxdepth 1 -mindepth 1 -type d | head -n1
      return 0
    fi
  done
  log "no source version of $pkg could be fetched"; return 1
}

# Runs a build step quietly, showing its output only when it fails.
quietly() {
  "$@" >"$work/step.log" 2>&1 || { cat "$work/step.log" >&2; log "failed: $*"; exit 1; }
}

cmake_build() {
  local src=$1; shift
  quietly cmake -S "$src" -B "$src/_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_PREFIX_PATH="$prefix" "$@"
  quietly cmake --build "$src/_build" -j "$jobs"
  quietly cmake --install "$src/_build"
}

# libjpeg-turbo, with nasm for its SIMD paths
d=$(src_of libjpeg-turbo)
cmake_build "$d" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON

# libpng on Debian's MinGW zlib
d=$(src_of libpng1.6)
cmake_build "$d" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DSKIP_INSTALL_PROGRAMS=ON

# libtiff with only the codecs the loaders need (zlib and JPEG)
d=$(src_of tiff)
cmake_build "$d" -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF \
  -Dtiff-docs=OFF -Dtiff-deprecated=OFF -Dcxx=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djbig=OFF \
  -Dlerc=OFF -Dlibdeflate=OFF -Dpixarlog=OFF -Dold-jpeg=OFF -Djpeg12=OFF

# Compiles a list of sources in parallel into one static library.
static_lib() {
  local name=$1 cc=$2 flags=$3; shift 3
  local objdir="$work/obj-$name"
  mkdir -p "$objdir"
  printf '%s\n' "$@" | xargs -P "$jobs" -I{} sh -c \
    'f={}; o='"$objdir"'/$(echo "$f" | tr / _).o; '"$cc $flags"' -c "$f" -o "$o"'
  x86_64-w64-mingw32-ar rcs "$prefix/lib/lib$name.a" "$objdir"/*.o
}

# giflib: the library sources only
d=$(src_of giflib)
(cd "$d" && static_lib gif x86_64-w64-mingw32-gcc-posix "-O2 -w" \
  dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c openbsd-reallocarray.c \
  quantize.c)
cp "$d/gif_lib.h" "$prefix/include/"

# LibRaw, statically and without its optional outside components: the objects its own
# makefile lists (the source tree also holds alternative placeholder files).
d=$(src_of libraw)
libraw_sources=()
for o in $(sed -n '/^LIB_OBJECTS=/,/^$/p' "$d/Makefile.dist" | grep -o 'object/[a-z0-9_]*\.o'); do
  f=$(cd "$d" && find src -name "$(basename "$o" .o).cpp")
  [[ -n "$f" ]] || { log "libraw: no source for $o"; exit 1; }
  libraw_sources+=("$f")
done
(cd "$d" && static_lib raw x86_64-w64-mingw32-g++-posix \
  "-O2 -w -I. -DLIBRAW_NODLL -DNO_JASPER -DNO_LCMS -DUSE_X3FTOOLS=0" "${libraw_sources[@]}")
mkdir -p "$prefix/include/libraw"
cp "$d"/libraw/*.h "$prefix/include/libraw/"

touch "$prefix/.complete"
# Sets built by earlier versions of this script are of no further use.
find "$cache_root" -mindepth 1 -maxdepth 1 -name 'win-deps-*' ! -path "$prefix" -exec rm -rf {} +
log "ready in $prefix"
[[ "${1:-}" == --prefix ]] && echo "$prefix"
exit 0
