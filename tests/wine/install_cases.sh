#!/usr/bin/env bash
# The Wine cases of the setup program, the portable zip and the settings
# window as the system's Screen Saver dialog opens it (owned by the dialog,
# under a visual-styles theme). Run by run.sh like cases.sh; a list line
# "NAME win32" asks for a 32-bit prefix.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarvella'
DESKTOP_KEY='HKCU\Control Panel\Desktop'
INSTALLED='C:\windows\system32\Zarvella.scr'
SYSTEM32="${WINEPREFIX:-}/drive_c/windows/system32"
# The uninstaller's folder: Program Files unless the case installs with /D=.
INSTALL_DIR='C:\Program Files\Zarvella'
program_dir() { local d=${INSTALL_DIR#C:\\}; echo "${WINEPREFIX:-}/drive_c/${d//\\//}"; }

# uninstall_entries VIEWS...: how many keys named Zarvella the views hold.
uninstall_entries() {
  local view
  for view in "$@"; do
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' "/reg:$view" 2>/dev/null
  done | tr -d '\r' | grep -ci '\\Uninstall\\Zarvella$'
}

# The entry that "Apps & features" shows, field by field.
expect_entry() {
  local size want pair
  size=$(($(stat -c %s "$SYSTEM32/Zarvella.scr") + $(stat -c %s "$(program_dir)/Uninstall.exe")))
  # No home page is set by default, so the entry names none.
  for pair in "DisplayName=Zarvella screen saver" "DisplayVersion=$VERSION" "Publisher=The Zarvella developers" \
    "DisplayIcon=$INSTALLED,0" "InstallLocation=$INSTALL_DIR" "UninstallString=\"$INSTALL_DIR\\Uninstall.exe\"" \
    "QuietUninstallString=\"$INSTALL_DIR\\Uninstall.exe\" /S" "URLInfoAbout=" \
    "EstimatedSize=$(printf '0x%x' $(((size + 1023) / 1024)))"; do
    want=${pair#*=}
    [ "$(reg_value "$UNINSTALL_KEY" "${pair%%=*}")" = "$want" ] ||
      fail "uninstall entry ${pair%%=*}: \"$(reg_value "$UNINSTALL_KEY" "${pair%%=*}")\", expected \"$want\""
  done
}

seed_user_settings() {
  reg_import '[HKEY_CURRENT_USER\Software\Zarvella]' \
    '"Fast"=dword:00000021' '"Bright"=dword:00000009' '"Size"=dword:00000007' '"Satiation"=dword:00000005' \
    '"Color"=dword:0000000a' '"Alpha"=dword:00000003' '"Rands"=dword:00000000'
}
USER_SETTINGS="Fast=33 Bright=9 Size=7 Satiation=5 Color=10 Alpha=3 Rands=0"

# The installed saver, started by its Windows path: draws, and a key ends it.
# In a 64-bit prefix a 64-bit program starts it, as the desktop does: Wine's
# 32-bit loader would look for it in syswow64.
run_installed_saver() {
  local loader=wine
  [ "$WINEARCH" = win64 ] && loader=${WINE64:-/usr/lib/wine/wine64}
  pointer_to 640 512
  "$loader" "$INSTALLED" /s >"$CASE_DIR/saver.log" 2>&1 &
  SAVER_PID=$!
  window_or_fail find-class TForm1
  [ "$(field rect "$WINDOW")" = 0,0,1280,1024 ] || fail "installed saver's window at $(field rect "$WINDOW")"
  expect_picture "$CASE_DIR/installed.png" 1280x1024+0+0 "installed saver"
  press a
  expect_exit 6
}

# wait_button SETUP_LINE TEXT: waits until the setup window shows a button TEXT.
has_button() { probe children "$(field hwnd "$1")" | grep -q "title=$2\$"; }
wait_button() { await has_button "$1" "$2" || fail "the setup program shows no button \"$2\""; }

# The setup program with its pages: a screenshot of the first (welcome), the
# licence, the components, the folder (as recorded by the first install),
# Install, Finish.
install_interactively() {
  local line
  pointer_to 640 512
  WINEDEBUG=+process start_saver "$SETUP"
  window_or_fail find-class '#32770'
  line=$WINDOW
  grep -q "title=Zarvella Setup" <<<"$line" || fail "setup window: $line"
  wait_button "$line" '&Next >'  # the welcome page is drawn once its button is there
  screenshot "$CASE_DIR/setup.png"
  keep_shot "$CASE_DIR/setup.png" windows-setup.png "$(client_geometry "$line")"
  press Return
  wait_button "$line" 'I &Agree'
  press Return
  wait_button "$line" '&Next >'
  press Return
  wait_button "$line" '&Install'
  press Return
  wait_button "$line" '&Finish'
  press Return
  expect_exit 10
  # Finish opens the Screen Saver Settings dialog (Wine has none: the call is seen in the trace).
  grep -qF 'cmdline L"\"C:\\windows\\system32\\control.exe\" desk.cpl,,@screensaver"' "$CASE_DIR/saver.log" ||
    fail "Finish did not open the Screen Saver Settings dialog"
}

# uninstall: the quiet command of the entry, as "Apps & features" runs it. The
# uninstaller returns at once and finishes from a copy of itself.
uninstall() {
  local command path
  command=$(reg_value "$UNINSTALL_KEY" QuietUninstallString)
  path=${command%\" /S}
  wine "${path#\"}" /S || fail "the uninstaller failed"
  await output_is 0 uninstall_entries 64 || fail "the uninstall entry is still there"
}

# install_round_trip BUILD MAGIC VIEWS KEEP_OTHER_SAVER [FOLDER]: silent
# install (into FOLDER with /D=), saver, a second install (into the folder the
# first one recorded), uninstall. VIEWS are the registry views "Apps &
# features" reads; with KEEP_OTHER_SAVER the user picks another saver before
# the uninstall, which must leave that choice alone.
install_round_trip() {
  local build=$1 magic=$2 views=$3 other=$4
  seed_user_settings
  if [ -n "${5:-}" ]; then
    INSTALL_DIR=$5
    # Split at the space, so the setup program gets the line a user types:
    # /D= last and unquoted.
    # shellcheck disable=SC2086
    wine "$SETUP" /S /D=$INSTALL_DIR || fail "setup /S /D=$INSTALL_DIR failed"
    [ ! -e "$(INSTALL_DIR='C:\Program Files\Zarvella' program_dir)" ] || fail "/D= ignored: Program Files\Zarvella made"
  else
    wine "$SETUP" /S || fail "setup /S failed"
  fi
  cmp -s "$SYSTEM32/Zarvella.scr" "$build" || fail "system32 does not hold $(basename "$(dirname "$build")")/Zarvella.scr"
  grep -q "^Magic.*($magic)\$" <<<"$(objdump -p "$SYSTEM32/Zarvella.scr")" || fail "the installed saver is not $magic"
  [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/Zarvella.scr" ] || fail "a copy landed in syswow64"
  expect_entry
  [ "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" = "$INSTALLED" ] || fail "SCRNSAVE.EXE is \"$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)\""
  [ "$(reg_value "$DESKTOP_KEY" ScreenSaveActive)" = 1 ] || fail "ScreenSaveActive is not 1"
  run_installed_saver

  if [ "$magic" = PE32+ ]; then install_interactively; else wine "$SETUP" /S || fail "second setup /S failed"; fi
  # shellcheck disable=SC2086
  [ "$(uninstall_entries $views)" = 1 ] || fail "$(uninstall_entries $views) uninstall entries after installing again"
  expect_entry

  [ "$other" = keep-other ] && reg_import '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"SCRNSAVE.EXE"="C:\\windows\\system32\\other.scr"'
  uninstall
  await test ! -e "$SYSTEM32/Zarvella.scr" || fail "the saver is still in system32"
  await test ! -e "$(program_dir)" || fail "$(program_dir) is still there"  # the copy finishes later
  # shellcheck disable=SC2086
  [ "$(uninstall_entries $views)" = 0 ] || fail "an uninstall entry is left"
  if [ "$other" = keep-other ]; then
    [ "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] || fail "the uninstall changed another saver's choice"
  else
    [ -z "$(reg_value "$DESKTOP_KEY" SCRNSAVE.EXE)" ] || fail "SCRNSAVE.EXE still names Zarvella"
  fi
  [ "$(settings_values)" = "$USER_SETTINGS" ] || fail "the user's settings changed: $(settings_values)"
}

case_install_64bit() {
  install_round_trip "$SCR64" PE32+ "32 64" unset
  # The portable zip: both builds and the note on which one to use.
  mkdir -p "$CASE_DIR/zip"
  (cd "$CASE_DIR/zip" && cmake -E tar xf "$PORTABLE_ZIP") || fail "the zip does not unpack"
  local dir="$CASE_DIR/zip/Zarvella-$VERSION"
  cmp -s "$dir/32-bit/Zarvella.scr" "$SCR32" || fail "zip: 32-bit/Zarvella.scr is not the win32 build"
  cmp -s "$dir/64-bit/Zarvella.scr" "$SCR64" || fail "zip: 64-bit/Zarvella.scr is not the win64 build"
  grep -q '64-bit\\Zarvella.scr   for 64-bit Windows' "$dir/README.txt" || fail "zip: README.txt does not say which to use"
  head -1 "$dir/README.txt" | grep -q "^Zarvella $VERSION " || fail "zip: README.txt does not name version $VERSION"
  grep -q 'MIT License' "$dir/LICENSE.txt" || fail "zip: no LICENSE.txt"
}

case_install_32bit() { install_round_trip "$SCR32" PE32 64 keep-other 'C:\Custom Zv'; }

# /D= naming a file is refused (an exit code, nothing installed); installing
# again into another folder leaves one install, in that folder.
case_install_folder_given() {
  touch "$WINEPREFIX/drive_c/taken"
  wine "$SETUP" /S '/D=C:\taken' && fail "setup /S /D=C:\taken (a file) exits 0"
  [ -z "$(ls "$SYSTEM32/Zarvella.scr" "$(program_dir)" 2>/dev/null)" ] || fail "setup /S /D=C:\taken (a file) installed"
  for INSTALL_DIR in 'C:\First' 'C:\Second'; do
    wine "$SETUP" /S "/D=$INSTALL_DIR" || fail "setup /S /D=$INSTALL_DIR failed"
  done
  [ ! -e "$WINEPREFIX/drive_c/First" ] || fail "the first install's folder is left: $(ls "$WINEPREFIX/drive_c/First")"
  [ "$(uninstall_entries 64)" = 1 ] || fail "$(uninstall_entries 64) uninstall entries"
  expect_entry
}

# Without a certificate nothing is signed; with a throwaway self-signed one,
# package-windows signs the setup program, its uninstaller and both savers, in
# the zip and in the setup program, which installs them (the last row's, with no
# password); a failed one leaves nothing. Rows: CERTIFICATE | ZARVELLA_SIGN_PASSWORD | exit code.
case_signed_packages() {
  local out="$CASE_DIR/signed" file row p12 pass code got
  osslsigncode verify -in "$SETUP" >/dev/null 2>&1 && fail "the setup program is signed without a certificate"
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zarvella test" -keyout "$CASE_DIR/key.pem" \
    -out "$CASE_DIR/cert.pem" 2>/dev/null || fail "no test certificate"
  for pass in throwaway ""; do
    openssl pkcs12 -export -inkey "$CASE_DIR/key.pem" -in "$CASE_DIR/cert.pem" -passout "pass:$pass" \
      -out "$CASE_DIR/cert${pass:+-$pass}.p12" || fail "no test certificate"
  done
  for row in 'cert-throwaway.p12|wrong|1' 'cert-throwaway.p12|throwaway|0' 'cert.p12||0'; do
    IFS='|' read -r p12 pass code <<<"$row"
    env -u ZARVELLA_SIGN_PASSWORD ${pass:+ZARVELLA_SIGN_PASSWORD=$pass} ZARVELLA_SIGN_PKCS12="$CASE_DIR/$p12" \
      ZARVELLA_PACKAGE_DIR="$out" "$(dirname "$0")/../../scripts/package-windows" >"$CASE_DIR/package.log" 2>&1
    got=$?
    [ "$((got > 0))" = "$code" ] || fail "$p12, password '$pass': exit code $got: $(tail -3 "$CASE_DIR/package.log")"
    [ "$code" = 0 ] || [ -z "$(ls -A "$out")" ] || fail "a failed signing left $(ls -A "$out") in $out"
  done
  (cd "$out" && cmake -E tar xf "$(basename "$PORTABLE_ZIP")") || fail "the signed zip does not unpack"
  wine "$out/$(basename "$SETUP")" /S || fail "the signed setup /S failed"
  for file in "$out/$(basename "$SETUP")" "$out/Zarvella-$VERSION/"{32,64}-bit/Zarvella.scr "$SYSTEM32/Zarvella.scr" \
    "$(program_dir)/Uninstall.exe"; do
    osslsigncode verify -CAfile "$CASE_DIR/cert.pem" -in "$file" >"$CASE_DIR/verify.log" 2>&1 ||
      fail "$file: no valid signature: $(tail -3 "$CASE_DIR/verify.log")"
  done
}

# ---- the settings window, as the Screen Saver dialog opens it -------------

# start_dialog VAR: a stand-in for the dialog; its handle goes to VAR.
start_dialog() {
  wine "$HELPERS/probe.exe" dialog >"$CASE_DIR/$1.out" 2>/dev/null &
  local handle=""
  await test -s "$CASE_DIR/$1.out" || fail "the dialog stand-in made no window"
  handle=$(head -1 "$CASE_DIR/$1.out" | tr -d '\r')
  printf -v "$1" '%s' "$handle"
}

# settings_owned_by SCR OWNER ARGS...: opens the settings window with ARGS
# and checks its owner (0: none) and that the check box has no theme while
# the slider and the button have one; leaves its probe line in WINDOW.
settings_owned_by() {
  local scr=$1 owner=$2
  shift 2
  pointer_to 640 512
  start_saver "$scr" "$@"
  window_or_fail find-class TForm2
  [ "$(field owner "$WINDOW")" = "$owner" ] || fail "$*: owner $(field owner "$WINDOW"), expected $owner"
  [ "$(probe theme "$(field hwnd "$WINDOW")")" = "checkbox=0 trackbar=1 button=1" ] ||
    fail "$*: themes $(probe theme "$(field hwnd "$WINDOW")")"
}

case_settings_owned_and_themed() {
  # Wine's light theme, named as a user would pick it.
  [ -f "$WINEPREFIX/drive_c/windows/resources/themes/light/light.msstyles" ] || fail "the prefix has no light theme"
  reg_import '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\ThemeManager]' '"ThemeActive"="1"' \
    '"DllName"="C:\\windows\\resources\\themes\\light\\light.msstyles"' '"ColorName"="Blue"' '"SizeName"="NormalSize"'
  # The dialog, and another window above it: the focus must go back to the
  # owner, not to the next window down.
  local dialog other client
  start_dialog dialog
  start_dialog other

  settings_owned_by "$SCR32" "$dialog" "/c:$dialog"
  client=$(field client "$WINDOW")
  # The caption right of the box: white text on black, once drawn.
  local share caption="100x17+$((${client%%,*} + 28))+$(($(cut -d, -f2 <<<"$client") + 290))"
  caption_white() {
    screenshot "$CASE_DIR/themed.png"
    share=$(convert "$CASE_DIR/themed.png" -crop "$caption" +repage \
      -fx 'r > 0.85 && g > 0.85 && b > 0.85 ? 1 : 0' -format '%[fx:mean]' info:)
    awk -v s="$share" 'BEGIN { exit !(s > 0.05) }'
  }
  await caption_white || fail "the Random caption is not white under the theme (white share $share)"
  [ "$(probe foreground)" = "$(field hwnd "$WINDOW")" ] || fail "the settings window is not in front"
  press Escape
  expect_exit 5
  await output_is "$dialog" probe foreground || fail "the focus went to $(probe foreground), not back to the dialog $dialog"

  settings_owned_by "$SCR64" "$dialog" /c "$dialog"  # the handle as second argument
  press Escape
  expect_exit 5
  settings_owned_by "$SCR32" 0 /c:4711  # names no window: as a bare /c
  press Escape
  expect_exit 5
  probe close "$dialog" >/dev/null
  probe close "$other" >/dev/null
  return 0
}

# ---- dispatch --------------------------------------------------------------

if [ "${1:-}" = --list ]; then
  declare -F | awk '{print $3}' | sed -n 's/^case_//p' | sed 's/^install_32bit$/& win32/'
  exit 0
fi
name=${1:?case name}
declare -F "case_$name" >/dev/null || fail "no case $name"
"case_$name"
