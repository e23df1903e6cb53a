#!/usr/bin/env bash
# Starts an installed program through its Start-menu shortcut as Explorer does, the shortcut's
# target in the shortcut's working folder, as this process, so that the program's status and
# process id are this one's: the launcher the end-to-end scenarios use for an installed copy.
# (`wine start` on the shortcut follows it too, but in a process of its own, and does not wait.)
# The scenarios look for their own test picture: the pictures in the folder this is called
# from, if any, replace the installed ones.
# Usage: SHORTCUTS=FOLDER start_shortcut.sh INSTALL_FOLDER/NAME.exe
set -uo pipefail
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
name=$(basename "$1")
for picture in bmp.jpg bmp.png; do
  [ ! -f "$picture" ] || cp -f "$picture" "$(dirname "$1")/"
done
for link in "$SHORTCUTS"/*.lnk; do
  # liblnk 20240423 (Debian 13) doubles each backslash; 20181227 (Debian 12) does not.
  info=$(lnkinfo "$link" 2>/dev/null | sed 's/\\\\/\\/g')
  target=$(sed -n 's/^[[:space:]]*Local path[[:space:]]*: //p' <<<"$info")
  folder=$(sed -n 's/^[[:space:]]*Working directory[[:space:]]*: //p' <<<"$info")
  if [ "${target##*\\}" = "$name" ]; then
    cd "$("$wine" winepath -u "$folder" 2>/dev/null)" && exec "$wine" "$target"
  fi
done
echo "start_shortcut: no shortcut to $name in $SHORTCUTS" >&2
exit 127
