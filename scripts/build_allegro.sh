#!/usr/bin/env bash
# Builds Allegro from its source tarball with the project's patches (third_party/allegro-patches)
# into a prefix: for Linux, the core with the font and image add-ons as static libraries; for
# 64-bit Windows with MinGW-w64, as DLLs with the native dialog add-on too. A prefix already
# built from the same tarball, patches and options is reused as it is.
# Usage: scripts/build_allegro.sh linux|windows TARBALL PREFIX
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?linux or windows}
tarball=${2:?the Allegro source tarball}
prefix=${3:?the folder to install Allegro into}
# Allegro 5.2.11.3 as tagged upstream, packed with git archive; the patches are made for it.
pinned=61f42e7597cb185d87fe32e49c9f3295c0e4bd29310cf22adab58159c78feb4e
[ -f "$tarball" ] || { echo "build_allegro.sh: no Allegro source at $tarball" >&2; exit 1; }
sum=$(sha256sum "$tarball" | cut -d' ' -f1)
if [ "$sum" != "$pinned" ]; then
  echo "build_allegro.sh: $tarball is not Allegro 5.2.11.3 as released (SHA-256 $sum)" >&2
  exit 1
fi
patches=("$root"/third_party/allegro-patches/*.patch)
# Only what the programs use; no demos, examples, tests, documentation or log file.
options=(-DCMAKE_BUILD_TYPE=Release -DWANT_IMAGE_WEBP=OFF -DWANT_IMAGE_FREEIMAGE=OFF
  -DWANT_AUDIO=OFF -DWANT_TTF=OFF -DWANT_COLOR=OFF -DWANT_MEMFILE=OFF -DWANT_PHYSFS=OFF
  -DWANT_PRIMITIVES=OFF -DWANT_VIDEO=OFF -DWANT_RELEASE_LOGGING=OFF
  -DWANT_DEMO=OFF -DWANT_EXAMPLES=OFF -DWANT_TESTS=OFF -DWANT_DOCS=OFF)
case $target in
linux)
  # Linked into the programs (position-independent, as Debian's compiler makes them); pictures
  # through the system's libpng and libjpeg.
  options+=(-DSHARED=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON -DWANT_NATIVE_DIALOG=OFF) ;;
windows)
  # Pictures go through Windows' own GDI+, so no libpng, libjpeg or FreeType is needed; the C
  # runtime is linked in, so the DLLs need only Windows' own DLLs. libgcc_eh is kept out of the
  # exports: each DLL would otherwise define _Unwind_Resume.
  options+=(-DCMAKE_TOOLCHAIN_FILE="$root/windows/mingw-w64-x86_64.cmake" -DSHARED=ON
    -DWANT_STATIC_RUNTIME=ON "-DCMAKE_SHARED_LINKER_FLAGS=-Wl,--exclude-libs,libgcc_eh.a"
    -DWANT_IMAGE_PNG=OFF -DWANT_IMAGE_JPG=OFF -DWANT_NATIVE_DIALOG=ON) ;;
*) echo "build_allegro.sh: no target \"$target\" (linux or windows)" >&2; exit 2 ;;
esac
stamp="$sum $(cat "${patches[@]}" | sha256sum | cut -d' ' -f1) ${options[*]}"
if [ "$(cat "$prefix/built-from" 2>/dev/null)" = "$stamp" ]; then
  echo "Allegro for $target: reusing $prefix"
  exit 0
fi
echo "Allegro for $target: building from $tarball with ${#patches[@]} patches into $prefix"
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
