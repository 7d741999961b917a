; The Windows installer: a per-user install of the program folder, its Start Menu folder and its uninstall entry.
; Built by the installer target (installer/CMakeLists.txt) with -DBINDIR=<built program folder>, -DVERSION=<x.yy>,
; -DOUTFILE=<setup program> and -DARTDIR=<icons>.
; A 64-bit setup for a 64-bit program (it also runs where no 32-bit Windows layer is installed).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define PRODUCT "Kestrum32"
!define PUBLISHER "Brackenfold"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The running program is found by its main window's caption, the engine by its window class.
!define MAIN_CAPTION "Filewarden (For Windows 95)"
!define ENGINE_CLASS "KestrumEngine"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Per user and writable without administrator rights: the program keeps its table, KS_STORE and KS_TEMP beside
; itself. A reinstall goes where the last install went, so the catalogue there is found again.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ARTDIR}\main.ico"
!define MUI_UNICON "${ARTDIR}\main.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_NOAUTOCLOSE

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "Your catalogue (its table and the stored files in KS_STORE) is kept unless you tick the box below."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Waits until neither the program nor its engine runs: their files cannot be replaced or removed while in use.
; A silent run cannot ask, so it ends with exit code 2 and changes nothing.
!macro WAIT_UNTIL_CLOSED
  check:
  FindWindow $0 "" "${MAIN_CAPTION}"
  FindWindow $1 "${ENGINE_CLASS}"
  StrCmp "$0$1" "00" closed
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY check
  SetErrorLevel 2
  Quit
  closed:
!macroend

Function .onInit
  !insertmacro WAIT_UNTIL_CLOSED
FunctionEnd

Function un.onInit
  !insertmacro WAIT_UNTIL_CLOSED
FunctionEnd

Section "-Program"
  SetOutPath "$INSTDIR"
  ; Only the program's files are written: the table, KS_STORE, KS_TEMP and the settings of an earlier
  ; installation are left as they are.
  File "${BINDIR}\kestrm32.exe"
  File "${BINDIR}\kscf.dll"
  File "${BINDIR}\kspdx.exe"
  ; The viewer examining starts for a file no program is registered for, and the help viewer on its own.
  File "${BINDIR}\ksview.exe"
  File "${BINDIR}\kshelpvw.exe"
  File "${BINDIR}\KSHELP32.HLP"
!if /FileExists "${BINDIR}\assistants\*.*"
  SetOutPath "$INSTDIR\assistants"
  File /r "${BINDIR}\assistants\*.*"
  SetOutPath "$INSTDIR"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts the program in its folder, where it looks for its engine (SetOutPath above gives
  ; the "Start in" directory). The help file is the program's own format, which the system's help viewer
  ; cannot read: its shortcut starts the program's help viewer, which reads KSHELP32.HLP beside itself.
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\kestrm32.exe" "" "$INSTDIR\kestrm32.exe" 0
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\kshelpvw.exe" "" "$INSTDIR\kshelpvw.exe" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\kestrm32.exe,0"
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller removes what the installer wrote, by name: never the whole folder, which may be one the
; user chose and filled with other things.
Section "-un.Program"
  SectionIn RO
  Delete "$INSTDIR\kestrm32.exe"
  Delete "$INSTDIR\kscf.dll"
  Delete "$INSTDIR\kspdx.exe"
  Delete "$INSTDIR\ksview.exe"
  Delete "$INSTDIR\kshelpvw.exe"
  Delete "$INSTDIR\KSHELP32.HLP"
  RMDir /r "$INSTDIR\assistants"
  Delete "$INSTDIR\uninstall.exe"
  ; A new table the engine was writing when it stopped: never the catalogue itself.
  Delete "$INSTDIR\kspdx.tbl.compact"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

; Off by default, and a silent uninstall leaves it off.
Section /o "un.Also remove my catalogue and stored files" SecCatalogue
  Delete "$INSTDIR\kspdx.tbl"
  RMDir /r "$INSTDIR\KS_STORE"
  RMDir /r "$INSTDIR\KS_TEMP"
SectionEnd

Section "-un.Folder"
  ; Scratch left empty by the program goes; the folder goes only when nothing else is left in it.
  RMDir "$INSTDIR\KS_TEMP"
  RMDir "$INSTDIR"
SectionEnd
