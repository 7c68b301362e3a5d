; The Windows installer, made by scripts/windows/package.sh:
;   makensis -DVERSION=<x.y.z> -DFILES=<install.nsh> -DREMOVE=<remove.nsh> -DOUTFILE=<setup.exe> orvessa.nsi
; FILES installs the deployable folder file by file and REMOVE deletes exactly those files, both written by
; package.sh from the folder, so the uninstaller takes away everything the installer put there and nothing else.
;
; For all users of the machine: under Program Files, one Start-menu shortcut, an entry in Apps & features.
; /S installs or uninstalls silently, for administrators who deploy it to many machines.

Unicode true
Target amd64-unicode          ; orvessa.exe is 64-bit: so are its installer and the registry view it uses
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Orvessa"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvessa"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "LegalCopyright" ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A running copy holds its files open: end it first (a tray-mode copy may run for every logged-in user).
!macro EndRunningProgram
  nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM orvessa.exe'
  Pop $0
!macroend

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Orvessa"
  !insertmacro EndRunningProgram
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\orvessa.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvessa.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Uninstall"
  !insertmacro EndRunningProgram
  !include "${REMOVE}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; Written by the program itself in tray mode, so that it starts with Windows.
  DeleteRegValue HKLM "${RUN_KEY}" "Vantrel"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
