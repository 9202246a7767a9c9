#!/usr/bin/env bash
# Cross-builds the static Windows libraries (libjpeg-turbo, libpng, libtiff, giflib, libwebp,
# and libheif with its decoders libde265 and dav1d) from Debian's source packages into a cache
# folder, and keeps there the sample pictures libheif's and libwebp's sources ship (samples/)
# and the source of LibRaw, which
# the project compiles itself for both of its configurations. The folder's name carries a hash of this
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

# Source packages come through apt with a private configuration and list folder, so the
# machine's own apt state is left alone: the machine's Debian sources with the type changed to
# deb-src, and the same for the next release, whose newer versions only LibRaw takes (the
# other libraries' build recipes below are for this release's versions).
apt_dir="$cache_root/apt"
mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial"
for f in /etc/apt/sources.list.d/*.sources; do
  [[ "$f" == */glintora-src.sources ]] && continue
  grep -q '^Types: deb$' "$f" || continue
  sed 's/^Types: deb$/Types: deb-src/' "$f"
  echo
  sed -e 's/^Types: deb$/Types: deb-src/' -e '/^Suites:/s/bookworm/trixie/g' "$f"
  echo
done > "$apt_dir/sources/debian.sources"
apt_options=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$apt_dir/sources"
  -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
  -o APT::Sandbox::User=root)
apt-get "${apt_options[@]}" update -qq >&2

# The versions used and the newer ones that could not be fetched, one line a library; kept in
# the cache and printed by the test command.
versions="$work/versions.txt"
: >"$versions"

# Unpacks the newest version of a source package that the mirror serves, from the suites
# that match `suites` (an extended regular expression), and prints its folder. A version
# whose .dsc is missing while its original tarball and Debian tarball are served (the mirror
# lacks some security updates' .dsc) is put together from those pieces: apt checks each
# piece against the signed source index as it fetches it, and the Debian patches are applied
# in their series' order.
src_of() {
  local pkg=$1 suites=$2 v dir unfetched=()
  for v in $(apt-cache "${apt_options[@]}" madison "$pkg" | awk -F' [|] ' -v s="$suites" \
      '$3 ~ (" (" s ")(-[a-z]+)?/[a-z]+ Sources$") { print $2 }' | sort -rV -u); do
    dir="$work/src-$pkg-$v"
    mkdir -p "$dir"
    (cd "$dir" && apt-get "${apt_options[@]}" source -qq --download-only "$pkg=$v" >/dev/null 2>&1) || true
    local dsc orig debian
    dsc=$(find "$dir" -maxdepth 1 -name '*.dsc' | head -n1)
    orig=$(find "$dir" -maxdepth 1 -name '*.orig.tar.*' ! -name '*.asc' | head -n1)
    debian=$(find "$dir" -maxdepth 1 -name '*.debian.tar.*' | head -n1)
    if [[ -n "$dsc" && -n "$orig" ]] && (cd "$dir" && dpkg-source -q -x "$dsc" unpacked >/dev/null 2>&1); then
      :
    elif [[ -n "$orig" && -n "$debian" ]]; then
      mkdir -p "$dir/unpacked"
      tar -xf "$orig" -C "$dir/unpacked" --strip-components=1
      tar -xf "$debian" -C "$dir/unpacked"
      local patch
      while read -r patch _; do
        [[ -z "$patch" || "$patch" == \#* ]] && continue
        patch -d "$dir/unpacked" -p1 -s --no-backup-if-mismatch <"$dir/unpacked/debian/patches/$patch" ||
          { log "$pkg $v: patch $patch does not apply"; return 1; }
      done <"$dir/unpacked/debian/patches/series"
    else
      unfetched+=("$v")
      continue
    fi
    log "$pkg $v${unfetched:+ (newer, not served: ${unfetched[*]})}"
    echo "$pkg $v${unfetched:+ (newer, not served: ${unfetched[*]})}" >>"$versions"
    echo "$dir/unpacked"
    return 0
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
d=$(src_of libjpeg-turbo bookworm)
cmake_build "$d" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON

# libpng on Debian's MinGW zlib
d=$(src_of libpng1.6 bookworm)
cmake_build "$d" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DSKIP_INSTALL_PROGRAMS=ON

# libtiff with only the codecs the loaders need (zlib and JPEG)
d=$(src_of tiff bookworm)
cmake_build "$d" -DBUILD_SHARED_LIBS=OFF -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF \
  -Dtiff-docs=OFF -Dtiff-deprecated=OFF -Dcxx=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF -Djbig=OFF \
  -Dlerc=OFF -Dlibdeflate=OFF -Dpixarlog=OFF -Dold-jpeg=OFF -Djpeg12=OFF

# libwebp: the decoder and the demuxer (an animated file's first frame), no tools
d=$(src_of libwebp bookworm)
cmake_build "$d" -DBUILD_SHARED_LIBS=OFF -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
  -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
  -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
# The pictures the libraries' sources ship, for the loaders' tests (never built into anything):
# libwebp's example with its reference decode, here; libheif's below.
mkdir -p "$prefix/samples/heif-damaged"
cp "$d/examples/test.webp" "$d/examples/test_ref.ppm" "$prefix/samples/"

# libde265, the HEVC decoder of HEIC pictures: the library only
d=$(src_of libde265 bookworm)
cmake_build "$d" -DBUILD_SHARED_LIBS=OFF -DENABLE_SDL=OFF -DENABLE_DECODER=OFF -DENABLE_ENCODER=OFF

# dav1d, the AV1 decoder of AVIF pictures (8- and 16-bit, with its assembly), built by meson
d=$(src_of dav1d bookworm)
cat >"$work/meson-cross.txt" <<CROSS
[binaries]
c = 'x86_64-w64-mingw32-gcc-posix'
ar = 'x86_64-w64-mingw32-ar'
strip = 'x86_64-w64-mingw32-strip'
windres = 'x86_64-w64-mingw32-windres'
nasm = 'nasm'
[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
CROSS
quietly meson setup "$d/_build" "$d" --cross-file "$work/meson-cross.txt" --prefix="$prefix" --libdir=lib \
  --buildtype=release -Ddefault_library=static -Denable_tools=false -Denable_tests=false -Denable_examples=false
quietly ninja -C "$d/_build" -j "$jobs" install

# libheif with both decoders built in (no plugin loading: nothing is loaded at run time) and
# no encoders. Its find modules would look for them under the toolchain's root only.
d=$(src_of libheif bookworm)
cmake_build "$d" -DBUILD_SHARED_LIBS=OFF -DENABLE_PLUGIN_LOADING=OFF -DWITH_EXAMPLES=OFF -DBUILD_TESTING=OFF \
  -DWITH_X265=OFF -DWITH_AOM_ENCODER=OFF -DWITH_AOM_DECODER=OFF -DWITH_SvtEnc=OFF -DWITH_RAV1E=OFF \
  -DWITH_LIBDE265=ON -DLIBDE265_INCLUDE_DIR="$prefix/include" -DLIBDE265_LIBRARY="$prefix/lib/libde265.a" \
  -DWITH_DAV1D=ON -DDAV1D_INCLUDE_DIR="$prefix/include" -DDAV1D_LIBRARY="$prefix/lib/libdav1d.a"
heif_symbols=$(x86_64-w64-mingw32-nm "$prefix/lib/libheif.a")
grep -q ' de265_new_decoder$' <<<"$heif_symbols" || { log "libheif: no HEVC decoder"; exit 1; }
grep -q ' dav1d_open$' <<<"$heif_symbols" || { log "libheif: no AV1 decoder"; exit 1; }
# libheif's example pictures, and the damaged files its fuzzing corpus keeps (each once broke
# a decoder): the HEIF loader must show the first and survive the others.
cp "$d/examples/example.heic" "$d/examples/example.avif" "$prefix/samples/"
cp "$d"/fuzzing/corpus/*.heic "$prefix/samples/heif-damaged/"

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
d=$(src_of giflib bookworm)
(cd "$d" && static_lib gif x86_64-w64-mingw32-gcc-posix "-O2 -w" \
  dgif_lib.c egif_lib.c gifalloc.c gif_err.c gif_font.c gif_hash.c openbsd-reallocarray.c \
  quantize.c)
cp "$d/gif_lib.h" "$prefix/include/"

# LibRaw: the newest version either release serves. Its source is kept in the cache rather
# than compiled here: the project compiles it with its own flags, so that the native tests,
# the sanitizers and the fuzzers run the very LibRaw the Windows program ships. The list
# holds the objects its own makefile names (the tree also holds alternative placeholder
# files).
d=$(src_of libraw 'bookworm|trixie')
rm -rf "$prefix/src/libraw"
mkdir -p "$prefix/src"
cp -r "$d" "$prefix/src/libraw"
for o in $(sed -n '/^LIB_OBJECTS=/,/^$/p' "$d/Makefile.dist" | grep -o 'object/[a-z0-9_]*\.o'); do
  f=$(cd "$d" && find src -name "$(basename "$o" .o).cpp")
  [[ -n "$f" ]] || { log "libraw: no source for $o"; exit 1; }
  echo "$f"
done >"$prefix/src/libraw/library-sources.txt"
sed -n 's/^libraw \([^ ]*\).*/\1/p' "$versions" >"$prefix/src/libraw/debian-version.txt"
cp "$versions" "$prefix/versions.txt"

touch "$prefix/.complete"
# Sets built by earlier versions of this script are of no further use.
find "$cache_root" -mindepth 1 -maxdepth 1 -name 'win-deps-*' ! -path "$prefix" -exec rm -rf {} +
log "ready in $prefix"; sed "s/^/build-win-deps: /" "$prefix/versions.txt" >&2
[[ "${1:-}" == --prefix ]] && echo "$prefix"
exit 0
