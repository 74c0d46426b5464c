; The per-user Windows installer karvonel-<version>-setup.exe, built by
; scripts/package.sh with NSIS (makensis -INPUTCHARSET UTF8). It needs no
; administrator: everything goes into the user's own folders and registry.
;
; Defines, all required (makensis -DNAME=VALUE, paths on the build machine):
;   VERSION      the project's version ("1.20"), shown in Apps & features
;   OUTFILE      the installer to write
;   KARVONEL_EXE the window program karvonel.exe (cross build)
;   CONVERT_EXE  the command-line tool karvonel-convert.exe (cross build)
;   GUIDE        the Japanese guide as CR LF text (README-ja.txt)
;   COPYRIGHT    the licence terms as CR LF text
;   SAMPLE       the sample point list examples/points.csv
;   ICON         the application icon (ui/icons/karvonel.ico)
;
; The installed folder, %LOCALAPPDATA%\Programs\Karvonel unless the user picks
; another:
;   karvonel.exe, karvonel-convert.exe, README-ja.txt, copyright.txt,
;   examples\points.csv, uninstall.exe
; and the shortcut "Karvonel" in the user's Start menu. /S installs and
; uninstalls without a window; /D=FOLDER (last on the command line) installs
; elsewhere.

!macro RequireDefine NAME
  !ifndef ${NAME}
    !error "karvonel.nsi: -D${NAME}=... missing (scripts/package.sh passes it)"
  !endif
!macroend
!insertmacro RequireDefine VERSION
!insertmacro RequireDefine OUTFILE
!insertmacro RequireDefine KARVONEL_EXE
!insertmacro RequireDefine CONVERT_EXE
!insertmacro RequireDefine GUIDE
!insertmacro RequireDefine COPYRIGHT
!insertmacro RequireDefine SAMPLE
!insertmacro RequireDefine ICON

Unicode true
; A 64-bit installer: it starts where 32-bit programs cannot (Wine without
; its 32-bit half) and sees the same folders as the programs it installs.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Karvonel"
!define PUBLISHER "Karvonel Works"

Name "Karvonel"
Caption "Karvonel ${VERSION} セットアップ"
UninstallCaption "Karvonel ${VERSION} アンインストール"
BrandingText "Karvonel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Karvonel"
; An earlier installation is updated where it is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "Karvonel"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "Karvonel ${VERSION} セットアップ"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "(C) 2026 ${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\karvonel.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README-ja.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "利用の手引きを開く"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${COPYRIGHT}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Karvonel" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=karvonel.exe" "${KARVONEL_EXE}"
  File "/oname=karvonel-convert.exe" "${CONVERT_EXE}"
  File "/oname=README-ja.txt" "${GUIDE}"
  File "/oname=copyright.txt" "${COPYRIGHT}"
  SetOutPath "$INSTDIR\examples"
  File "/oname=points.csv" "${SAMPLE}"

  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Started from the Start menu, the window program works in the user's
  ; profile folder, where its work file para.sec then goes (as on Linux,
  ; where the menu starts it in the home folder); never in the program folder.
  SetOutPath "$PROFILE"
  CreateShortcut "$SMPROGRAMS\Karvonel.lnk" "$INSTDIR\karvonel.exe" "" \
    "$INSTDIR\karvonel.exe" 0 SW_SHOWNORMAL "" "点列ファイルを IGES ファイルに変換します"
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Karvonel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\karvonel.exe,0"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Removes what the installer put there and nothing else: a folder the user
; has added files to stays, with those files.
Section "Uninstall"
  Delete "$SMPROGRAMS\Karvonel.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\karvonel.exe"
  Delete "$INSTDIR\karvonel-convert.exe"
  Delete "$INSTDIR\README-ja.txt"
  Delete "$INSTDIR\copyright.txt"
  Delete "$INSTDIR\examples\points.csv"
  RMDir "$INSTDIR\examples"
  Delete "$INSTDIR\uninstall.exe"
  ; Last, so that a folder gone means the uninstaller has done its work.
  RMDir "$INSTDIR"
SectionEnd
