#!/usr/bin/env bash
# The Windows installer as a user meets it, from the MSI alone in a fresh Wine prefix on the
# virtual display ($DISPLAY): its own tables (shortcuts started in the install folder, the fixed
# UpgradeCode, nothing written outside the install folder, the shortcuts and the uninstall
# entry), a silent install, the files, the shortcuts and the Apps & features entry, each
# program's scenario started through its shortcut, a program whose picture was removed, an
# upgrade to a newer version, and a silent uninstall that leaves the prefix as it was.
# Usage: windows_msi_test.sh BUILD_DIR E2E_TESTS SCREEN_TOOL
set -uo pipefail
source "$(dirname "$0")/wine_support.sh"
build_windows_packages
upgrade_code="{ACC237A3-C4C7-4931-984D-6DEC40E8F724}"
programs="bounce_1024 bounce_800 bounce_fit bounce_flash bounce_vsync"
files="LICENSE-Allegro.txt LICENSE.txt README.txt allegro-5.2.dll allegro_dialog-5.2.dll \
allegro_font-5.2.dll allegro_image-5.2.dll bmp.jpg bmp.png bounce_1024.exe bounce_800.exe \
bounce_fit.exe bounce_flash.exe bounce_vsync.exe"

# The package's own tables. Only these tables may hold rows: the others write elsewhere
# (registry, INI files, environment, services, file types) or run code (custom actions).
table() { # MSI, table name: its rows, tab-separated, without the three header lines
  msiinfo export "$1" "$2" | tr -d '\r' | tail -n +4
}
allowed="_Columns _Tables _Validation _SummaryInformation _ForceCodepage AdminExecuteSequence \
AdminUISequence AdvtExecuteSequence Component CreateFolder Directory Feature FeatureComponents \
File Icon InstallExecuteSequence InstallUISequence LaunchCondition Media MsiFileHash Property \
RemoveFile Shortcut Upgrade"
for name in $(msiinfo tables "$msi"); do
  grep -qw -- "$name" <<<"$allowed" || check "the package has no $name rows" test -z "$(table "$msi" "$name")"
done
check "every component in the install folder or the Start-menu folder" test -z \
  "$(table "$msi" Component | awk -F'\t' '$3 != "INSTALLDIR" && $3 != "ProgramMenuDir"')"
shortcuts=$(table "$msi" Shortcut)
for name in $programs; do
  check "a shortcut to $name.exe, started in the install folder: $shortcuts" \
    grep -qP "\tProgramMenuDir\t[^\t]*\t$name\t\[#$name\.exe\]\t.*\tINSTALLDIR(\t|$)" <<<"$shortcuts"
done
check "the upgrade rows hold the fixed UpgradeCode" test \
  "$(table "$msi" Upgrade | cut -f1 | sort -u)" = "$upgrade_code"
product_code=$(table "$msi" Property | awk -F'\t' '$1 == "ProductCode" {print $2}')

# A fresh prefix, read before the install and after the uninstall: its files and its registry.
export WINEPREFIX=$build/wine-msi
rm -rf "$WINEPREFIX"
start_wine_session
drive=$WINEPREFIX/drive_c
install_folder="$drive/Program Files/Bounce demos"
# The registry as far as a package can write to it, less keys without values (the installer
# service's own, which Windows keeps too) and what Wine changes by itself at some point after
# its first start: its own settings, the network cards it lists, and the precompiled .inf files
# (.pnf) it writes as it installs the input devices it finds (input.pnf and winehid.pnf once
# appeared during the test).
prefix_state() { # the file list and the registry
  (cd "$drive" && find . | grep -v '^./windows/\(temp\|Installer\)\b\|^./windows/inf/[^/]*\.pnf$' | sort)
  for hive in HKLM HKCU; do
    "$wine" reg export "$hive\\Software" "C:\\windows\\temp\\$hive.reg" /y >/dev/null 2>&1
    iconv -f UTF-16LE -t UTF-8 "$drive/windows/temp/$hive.reg" | tr -d '\r'
  done | awk '/^\[/ {key = $0; skip = /\\NetworkCards\\|^\[HKEY_CURRENT_USER\\Software\\Wine\\/; next}
    /^$/ || skip {next} {if (key) print key; key = ""; print}'
}
prefix_state >"$build/prefix-before"
msiexec() { "$wine" msiexec "$@" /qn; }
uninstall_entries() { # the Apps & features entries of the product, one a line
  "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | awk '/^HKEY/ {key = $0} /^ +DisplayName +REG_SZ +Bounce demos$/ {print key}'
}

check "the install ends with 0" msiexec /i "$msi"
check "the install folder holds: $(ls "$install_folder" | paste -sd' ')" \
  test "$(ls "$install_folder" | sort | paste -sd' ')" = "$files"
export SHORTCUTS=$(find "$drive" -path '*/Start Menu/Programs/Bounce demos' -type d | head -1)
check "the Start-menu folder holds a shortcut per program" test "$(ls "$SHORTCUTS" | paste -sd' ')" = \
  "Bounce 1024.lnk Bounce 800.lnk Bounce Fit.lnk Bounce Flash.lnk Bounce VSync.lnk"
for link in "$SHORTCUTS"/*.lnk; do
  # liblnk 20240423 (Debian 13) doubles each backslash; 20181227 (Debian 12) does not.
  info=$(lnkinfo "$link" 2>/dev/null | sed 's/\\\\/\\/g')
  check "$(basename "$link") names the install folder as its working folder" \
    grep -qP '^\s*Working directory\s*: C:\\Program Files\\Bounce demos\\?$' <<<"$info"
  check "$(basename "$link") points at its program" \
    grep -qP '^\s*Local path\s*: C:\\Program Files\\Bounce demos\\bounce_\w+\.exe$' <<<"$info"
done
entry=$("$wine" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product_code" 2>/dev/null | tr -d '\r')
for value in "DisplayName\s+REG_SZ\s+Bounce demos" "DisplayVersion\s+REG_SZ\s+1\.0\.0" \
  "Publisher\s+REG_SZ\s+The Bounce demos developers" "URLInfoAbout\s+REG_SZ\s+https://" \
  "HelpLink\s+REG_SZ\s+https://" "UninstallString\s+REG_EXPAND_SZ\s+MsiExec.exe /X$product_code"; do
  check "the Apps & features entry holds $value" grep -qP "^\s+$value" <<<"$entry"
done
icon=$("$wine" reg query 'HKLM\Software\Classes\Installer\Products' /s 2>/dev/null | tr -d '\r' |
  sed -n 's/^ *ProductIcon *REG_SZ *//p')
check "the entry's icon is the programs' icon: $icon" \
  cmp -s "$("$wine" winepath -u "$icon" 2>/dev/null)" "$build/programs/windows/bounce-demos.ico"

# A program whose picture was removed from the install folder, started through its shortcut.
mv "$install_folder/bmp.jpg" "$build/bmp.jpg.installed"
scratch=$(mktemp -d)
check_failure_box bounce_800 sh -c 'cd "$1" && exec "$2" "$3"' - "$scratch" \
  "$root/tests/windows/start_shortcut.sh" "$install_folder/bounce_800.exe"
rm -rf "$scratch"
mv "$build/bmp.jpg.installed" "$install_folder/bmp.jpg"

# Each program's scenario, started through its shortcut.
check_scenarios "$install_folder" "$root/tests/windows/start_shortcut.sh"

# A newer version over it: one entry left, the new files in place.
newer=$build/newer
rm -rf "$newer"
cp -r "$build/programs/windows/msi-files" "$newer"
echo "A newer version." >>"$newer/README.txt"
cmake -D files="$newer" -D wxs="$build/programs/windows/bounce-demos.wxs" -D wixl="$(command -v wixl)" \
  -D version=1.0.1 -D output="$build/newer.msi" -P "$root/windows/make_msi.cmake" >"$build/newer.log" 2>&1
check "the newer package was made without a warning: $(cat "$build/newer.log")" test -s "$build/newer.msi"
check "the newer version's install ends with 0" msiexec /i "$build/newer.msi"
check "one Apps & features entry after the upgrade: $(uninstall_entries)" test "$(uninstall_entries | wc -l)" = 1
check "the entry is the newer version's" grep -q '1\.0\.1' <<<"$("$wine" reg query \
  "$(uninstall_entries)" /v DisplayVersion 2>/dev/null)"
check "the newer files are in place" cmp -s "$newer/README.txt" "$install_folder/README.txt"
check "the install folder holds the same files" \
  test "$(ls "$install_folder" | sort | paste -sd' ')" = "$files"

check "the uninstall ends with 0" msiexec /x "$build/newer.msi"
check "no Apps & features entry is left" test -z "$(uninstall_entries)"
check "the install folder is gone" test ! -e "$install_folder"
check "the Start-menu folder is gone" test ! -e "$SHORTCUTS"
prefix_state >"$build/prefix-after"
check "the prefix is as it was before the install: $(diff "$build/prefix-before" "$build/prefix-after" | head -20)" \
  cmp -s "$build/prefix-before" "$build/prefix-after"
report
