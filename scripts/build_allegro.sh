#!/usr/bin/env bash
# Allegro from its source tarball with the project's patches (third_party/allegro-patches).
# `check` tells whether a tarball holds Allegro 5.2.11.3's source as released, whatever its
# compression and the name of its top folder. `linux` and `windows` build it into a folder of
# PARENT named after what it is built from (tarball, patches, options, compiler flags), so that
# every build folder sharing PARENT reuses it, and print that folder: for Linux, the core with
# the font and image add-ons as static libraries; for 64-bit Windows with MinGW-w64, as DLLs
# with the native dialog add-on too. TOOLCHAIN, a CMake toolchain file, cross-builds for Linux.
# Usage: scripts/build_allegro.sh check TARBALL
#        scripts/build_allegro.sh linux|windows TARBALL PARENT [TOOLCHAIN]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?check, linux or windows}
tarball=${2:?the Allegro source tarball}
[ -f "$tarball" ] || { echo "build_allegro.sh: no Allegro source at $tarball" >&2; exit 1; }

# What the tarball holds: each regular file's SHA-256 and each other member's kind and target,
# by its path below the top folder, read without writing anything. The same for git archive's
# tarball of the tag (1,248 files and one link) in any compression, and for the tag's archive
# as Allegro's repository serves it.
content_digest() {
  {
    tar -xf "$1" --to-command='printf "%s %s\n" "$(sha256sum | cut -c1-64)" "${TAR_FILENAME#*/}"' &&
      tar -tvf "$1" | awk '!/^[-d]/ { sub(/^[^\/]*\//, "", $6); $2 = $3 = $4 = $5 = ""; print }'
  } | LC_ALL=C sort | sha256sum | cut -c1-64
}
# Allegro 5.2.11.3 as tagged (commit 9e58c5e03af16810e8cfecec719e69ce4a76b49b); the patches are
# made for it.
pinned=3f742a03f2fd780d51f6bf296afe57692ca98110588261a13d9eeae67794a870
if [ "$target" = check ]; then
  digest=$(content_digest "$tarball") || { echo "build_allegro.sh: $tarball is no tarball" >&2; exit 1; }
  [ "$digest" = "$pinned" ] ||
    { echo "build_allegro.sh: $tarball does not hold Allegro 5.2.11.3's source as released" >&2; exit 1; }
  exit 0
fi

parent=${3:?the folder to build Allegro in}
toolchain=${4:-}
patches=("$root"/third_party/allegro-patches/*.patch)
# Only what the programs use; no demos, examples, tests, documentation or log file.
options=(-DCMAKE_BUILD_TYPE=Release -DWANT_IMAGE_WEBP=OFF -DWANT_IMAGE_FREEIMAGE=OFF
  -DWANT_AUDIO=OFF -DWANT_TTF=OFF -DWANT_COLOR=OFF -DWANT_MEMFILE=OFF -DWANT_PHYSFS=OFF
  -DWANT_PRIMITIVES=OFF -DWANT_VIDEO=OFF -DWANT_RELEASE_LOGGING=OFF
  -DWANT_DEMO=OFF -DWANT_EXAMPLES=OFF -DWANT_TESTS=OFF -DWANT_DOCS=OFF)
case $target in
linux)
  # Linked into the programs (position-independent, as Debian's compiler makes them); pictures
  # through the system's libpng and libjpeg. The Wayland driver beside the X11 one, without
  # libdecor: fullscreen displays have no decorations.
  options+=(-DSHARED=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DWANT_NATIVE_DIALOG=OFF
    -DWANT_WAYLAND=ON -DWANT_WAYLAND_LIBDECOR=OFF) ;;
windows)
  # Pictures go through Windows' own GDI+, so no libpng, libjpeg or FreeType is needed; the C
  # runtime is linked in, so the DLLs need only Windows' own DLLs. libgcc_eh is kept out of the
  # exports: each DLL would otherwise define _Unwind_Resume.
  toolchain=${toolchain:-$root/windows/mingw-w64-x86_64.cmake}
  options+=(-DSHARED=ON -DWANT_STATIC_RUNTIME=ON "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,--exclude-libs,libgcc_eh.a"
    -DWANT_IMAGE_PNG=OFF -DWANT_IMAGE_JPG=OFF -DWANT_NATIVE_DIALOG=ON) ;;
*) echo "build_allegro.sh: no target \"$target\" (check, linux or windows)" >&2; exit 2 ;;
esac
[ -z "$toolchain" ] || options+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
# Allegro's own build reads the compiler flags from the environment (a Debian package's).
stamp="$(sha256sum <"$tarball" | cut -c1-64) $(cat "${patches[@]}" | sha256sum | cut -c1-64)
${options[*]} ${toolchain:+$(sha256sum <"$toolchain" | cut -c1-64)}
CFLAGS=${CFLAGS:-} CXXFLAGS=${CXXFLAGS:-} LDFLAGS=${LDFLAGS:-}"
prefix=$parent/allegro-$target-$(sha256sum <<<"$stamp" | cut -c1-12)
if [ "$(cat "$prefix/built-from" 2>/dev/null)" = "$stamp" ]; then
  echo "Allegro for $target: reusing $prefix" >&2
  echo "$prefix"
  exit 0
fi
bash "$0" check "$tarball"
echo "Allegro for $target: building from $tarball with ${#patches[@]} patches into $prefix" >&2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tar -xf "$tarball" -C "$work" --strip-components=1
for p in "${patches[@]}"; do
  patch -d "$work" -p1 -s --no-backup-if-mismatch <"$p" ||
    { echo "build_allegro.sh: $(basename "$p") does not apply" >&2; exit 1; }
done
rm -rf "$prefix"
cmake -S "$work" -B "$work/build" "${options[@]}" -DCMAKE_INSTALL_PREFIX="$prefix" >"$work/configure.log" 2>&1 ||
  { tail -30 "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" --parallel "$(nproc 2>/dev/null || echo 2)" >"$work/build.log" 2>&1 ||
  { grep -m5 -B2 -A5 'error' "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
cp "$work/LICENSE.txt" "$prefix/LICENSE.txt"
echo "$stamp" >"$prefix/built-from"
echo "$prefix"
