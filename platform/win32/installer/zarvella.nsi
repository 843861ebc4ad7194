; Zarvella-Setup-<version>.exe: puts the saver where the system's Screen Saver
; dialog looks (System32 of the running Windows), registers an uninstaller in
; "Apps & features" and, if asked, makes Zarvella the current screen saver.
;
;   makensis -DFACTS=.../win64/facts.nsh -DSCR32=.../Zarvella.scr -DSCR64=.../Zarvella.scr
;            -DLICENSE=.../LICENSE.txt -DOUTFILE=.../Zarvella-Setup-1.0.0.exe zarvella.nsi
;
; FACTS, written by CMake, holds the version, the home page and the copyright.
; The setup program itself is 32-bit. On 64-bit Windows a 32-bit program that
; writes to System32 lands in SysWOW64 and its HKLM\Software writes in
; WOW6432Node, so every step there switches both redirections off.

Unicode true
SetCompressor /SOLID lzma
SetOverwrite on
; No build times of the files inside: two builds of one commit are the same bytes.
SetDateSave off
; Sharp at any scale: the pages are drawn at the monitor's DPI, not stretched.
ManifestDPIAware true

!ifndef FACTS | SCR32 | SCR64 | LICENSE | OUTFILE
  !error "FACTS, SCR32, SCR64, LICENSE and OUTFILE must be defined"
!endif
!include "${FACTS}"
; With a certificate (scripts/package-windows), the uninstaller is signed as
; it is made, before it goes into the setup program.
!ifdef SIGN
  !uninstfinalize '"${SIGN}" --sign "%1"' = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include Sections.nsh

!define PRODUCT "Zarvella"
!define PUBLISHER "The Zarvella developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarvella"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} screen saver setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "${COPYRIGHT}"
VIAddVersionKey /LANG=1033 OriginalFilename "${PRODUCT}-Setup-${VERSION}.exe"

; The saver's own icon and images drawn from its picture (make-images).
!define MUI_ICON "../zarvella.ico"
!define MUI_UNICON "../zarvella.ico"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "header.bmp"
!define MUI_HEADERIMAGE_UNBITMAP "header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "wizard.bmp"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TITLE "Welcome to Zarvella ${VERSION}"
!define MUI_WELCOMEPAGE_TEXT "Setup installs Zarvella, a screen saver: a slowly changing, lit, translucent \
figure, drawn with OpenGL.$\r$\n$\r$\nClick Next to continue."
!define MUI_LICENSEPAGE_TEXT_TOP "Zarvella is free software under the MIT licence."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Click I Agree to continue."
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Zarvella is a screen saver: a slowly changing, lit, translucent figure. \
Setup puts it where the Screen Saver Settings dialog finds it."

!define MUI_FINISHPAGE_TEXT "Zarvella has been installed.$\r$\n$\r$\nIf you chose to make it the current \
screen saver, the Screen Saver Settings dialog opens when you click Finish."

!define MUI_DIRECTORYPAGE_TEXT_TOP "The saver itself goes where the Screen Saver Settings dialog finds it, \
in the Windows folder. This folder holds its uninstaller."

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Sections run in a thread of their own, and the redirection switch is per
; thread: every section and callback that touches System32 calls this first.
!macro NativeView
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetRegView 64
  ${EndIf}
!macroend

Section "-Saver64" SecSaver64
  !insertmacro NativeView
  SetOutPath "$SYSDIR"
  File "/oname=${PRODUCT}.scr" "${SCR64}"
SectionEnd

Section "-Saver32" SecSaver32
  SetOutPath "$SYSDIR"
  File "/oname=${PRODUCT}.scr" "${SCR32}"
SectionEnd

Section "Zarvella screen saver" SecSaver
  SectionIn RO
  !insertmacro NativeView
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; Installed before into another folder (another /D=, or the folder page):
  ; its uninstaller goes, and the folder when nothing else is in it, so one
  ; install is left, in one place. Short names, as one folder has many spellings.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    GetFullPathName /SHORT $1 "$0"
    GetFullPathName /SHORT $2 "$INSTDIR"
    ${If} $1 != ""
    ${AndIf} $1 != $2
      Delete "$0\Uninstall.exe"
      RMDir "$0"
    ${EndIf}
  ${EndIf}

  ; One key, written whole every time: installing again leaves one entry.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
!if "${HOMEPAGE}" != ""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
!endif
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${PRODUCT}.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB: the saver and the uninstaller.
  FileOpen $0 "$SYSDIR\${PRODUCT}.scr" r
  FileSeek $0 0 END $1
  FileClose $0
  FileOpen $0 "$INSTDIR\Uninstall.exe" r
  FileSeek $0 0 END $2
  FileClose $0
  IntOp $0 $1 + $2
  IntOp $0 $0 + 1023
  IntOp $0 $0 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Make Zarvella the current screen saver" SecCurrent
  !insertmacro NativeView
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${PRODUCT}.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; Tells the running desktop, which keeps its own copy of the setting.
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
SectionEnd

Function .onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing a screen saver needs an administrator." /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  ; A /D= that NSIS found invalid (a file, no full path) is gone from
  ; $INSTDIR and $CMDLINE by now; the raw command line still has it. Refused,
  ; never swapped for another folder.
  System::Call 'kernel32::GetCommandLineW() t .r1'
  StrLen $2 $1
  ${For} $3 0 $2
    StrCpy $4 $1 4 $3
    ${If} $4 S== " /D="
    ${AndIf} $INSTDIR == ""
      IntOp $3 $3 + 4
      StrCpy $4 $1 "" $3
      MessageBox MB_ICONSTOP 'Setup cannot install into "$4": it is a file, or not the full path of a folder.' /SD IDOK
      SetErrorLevel 267  ; ERROR_DIRECTORY
      Quit
    ${EndIf}
  ${Next}
  ; One of the two builds, so "Space required" counts only that one.
  ${If} ${RunningX64}
    !insertmacro UnselectSection ${SecSaver32}
  ${Else}
    !insertmacro UnselectSection ${SecSaver64}
  ${EndIf}
  ; The folder: /D= when given (it is in $INSTDIR already), else the one an
  ; earlier install recorded, else Program Files. The folder page may still
  ; change it.
  ${If} $INSTDIR == ""
    ${If} ${RunningX64}
      SetRegView 64
    ${EndIf}
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
    SetRegView default
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${If} ${SectionIsSelected} ${SecCurrent}
  ${AndIfNot} ${Silent}
    !insertmacro NativeView
    Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro NativeView
  ; The current saver is un-set only while it is still this one, in either
  ; of the forms the system may have stored.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$SYSDIR\${PRODUCT}.scr"
  StrCpy $2 0
  ${If} $0 == "$SYSDIR\${PRODUCT}.scr"
    StrCpy $2 1
  ${ElseIf} $1 != ""
  ${AndIf} $0 == $1
    StrCpy $2 1
  ${EndIf}
  ${If} $2 = 1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATE_AND_SEND})'
  ${EndIf}

  ; A saver running right now keeps its file until the next restart. The
  ; entry goes last, so an uninstall that stops half-way can be run again.
  Delete /REBOOTOK "$SYSDIR\${PRODUCT}.scr"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; HKCU\Software\Zarvella, the user's settings, stays.
SectionEnd
