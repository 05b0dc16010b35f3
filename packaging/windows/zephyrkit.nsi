; The Windows set-up program of Zephyrkit: makensis -DVERSION=1.1
;   -DPROGRAM_DIR=<the installed program folder> -DOUTFILE=<setup.exe> zephyrkit.nsi
;
; Installs the program folder under Program Files, records it as
; "Install_Dir" (the wizard finds Help\ZEPHYRKIT.CHM through it), makes the
; Start-menu shortcuts and an entry in Add/Remove Programs whose uninstaller
; takes all of it away again. /S installs silently, /D=FOLDER elsewhere.
;
; A 64-bit set-up program: the programs it installs are 64-bit, and it uses
; no plug-in (Debian's NSIS carries plug-ins for x86 only).

!ifndef VERSION | PROGRAM_DIR | OUTFILE
  !error "define VERSION, PROGRAM_DIR and OUTFILE"
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Morvane Zephyrkit"
!define SETTINGS_KEY "SOFTWARE\Morvane\Zephyrkit"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zephyrkit"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Morvane\Zephyrkit"
; A later set-up program updates the folder the last one was installed to.
InstallDirRegKey HKLM "${SETTINGS_KEY}" "Install_Dir"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Morvane"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} set-up"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Morvane"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Zephyrkit"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}/Zephyrkit.exe"
  File "${PROGRAM_DIR}/MobileZephyrkit.exe"
  File "${PROGRAM_DIR}/DesktopZephyrkit.exe"
  File "${PROGRAM_DIR}/SystemInfo.dat"
  SetOutPath "$INSTDIR\Help"
  File "${PROGRAM_DIR}/Help/ZEPHYRKIT.CHM"
  !if /FileExists "${PROGRAM_DIR}/Images"
    SetOutPath "$INSTDIR"
    File /r "${PROGRAM_DIR}/Images"
  !endif

  WriteRegStr HKLM "${SETTINGS_KEY}" "Install_Dir" "$INSTDIR"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Morvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zephyrkit.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The wizard writes its installers into its current folder: the shortcut
  ; starts it in the user's documents, not in the program folder.
  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "$DOCUMENTS"
  CreateShortcut "${MENU_FOLDER}\Zephyrkit.lnk" "$INSTDIR\Zephyrkit.exe"
  CreateShortcut "${MENU_FOLDER}\Zephyrkit Help.lnk" "$INSTDIR\Help\ZEPHYRKIT.CHM"
  CreateShortcut "${MENU_FOLDER}\Uninstall Zephyrkit.lnk" "$INSTDIR\Uninstall.exe"
SectionEnd

; Only what the set-up program put there, and the settings and file type the
; wizard records: the folder itself goes only when nothing else is left in it.
Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\Zephyrkit.exe"
  Delete "$INSTDIR\MobileZephyrkit.exe"
  Delete "$INSTDIR\DesktopZephyrkit.exe"
  Delete "$INSTDIR\SystemInfo.dat"
  RMDir /r "$INSTDIR\Help"
  RMDir /r "$INSTDIR\Images"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Morvane"

  Delete "${MENU_FOLDER}\Zephyrkit.lnk"
  Delete "${MENU_FOLDER}\Zephyrkit Help.lnk"
  Delete "${MENU_FOLDER}\Uninstall Zephyrkit.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Morvane"
  ; The .paw file type, when it is still ours.
  ReadRegStr $0 HKCR ".paw" ""
  StrCmp $0 "Zephyrkit.1" 0 +2
    DeleteRegKey HKCR ".paw"
  DeleteRegKey HKCR "Zephyrkit.1"
SectionEnd
