; The Windows setup of Marlune: a per-user install (no administrator rights) into
; %LOCALAPPDATA%\Programs\Marlune with a Start-menu entry, optional start with Windows
; (the Run key value the program itself writes), and an uninstaller listed in Apps that
; keeps the user's config, scnf and data folders unless asked to remove them.
;
; makensis -DVERSION=1.1.0.0 -DSTAGE=<folder cmake --install made> -DFILES=<files.nsh>
;          -DOUTFILE=<setup.exe> -DICON=<marlune.ico> marlune.nsi
; FILES defines the macros InstallFiles and UninstallFiles (made by package-windows.sh
; from the staged folder), so that the uninstaller removes exactly what was installed.

; A 64-bit setup for the 64-bit programs (and Wine without its 32-bit half can run it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

!define PRODUCT "Marlune"
!define PUBLISHER "Orvento"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Marlune"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Marlune"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\marlune.exe"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Marlune 股票行情 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "Copyright (C) Orvento. 版权所有。"

Section "Marlune 程序（必需）" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Marlune.lnk" "$INSTDIR\marlune.exe" "" "$INSTDIR\marlune.exe" 0 \
    SW_SHOWNORMAL "" "Marlune 股票行情"

  ; Listed in Apps (Settings) and Programs and Features, for this user only.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\marlune.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The same value the program writes when its settings switch autostart on.
Section /o "开机时自动启动" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Marlune" '"$INSTDIR\marlune.exe"'
SectionEnd

; Off unless chosen: a silent uninstall (/S) keeps the user's files.
Section /o "un.删除我的设置、自选股和数据（config、scnf、data）" SecUnUserFiles
  RMDir /r "$INSTDIR\config"
  RMDir /r "$INSTDIR\scnf"
  RMDir /r "$INSTDIR\data"
  ; Where the program keeps them when its own folder cannot be written.
  RMDir /r "$LOCALAPPDATA\marlune"
SectionEnd

; /REMOVEUSERFILES on the uninstaller's command line ticks the box above (for a silent
; uninstall that removes everything).
Function un.onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVEUSERFILES" $R1
  IfErrors +2 0
    SectionSetFlags ${SecUnUserFiles} ${SF_SELECTED}
FunctionEnd

Section "-un.Marlune" SecUnProgram
  Delete "$SMPROGRAMS\Marlune.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Marlune"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  !insertmacro UninstallFiles
  Delete "$INSTDIR\uninstall.exe"
  ; Only when nothing of the user's is left in it.
  RMDir "$INSTDIR"
SectionEnd
