; The Windows installer, built by Debian's makensis (packaging/windows/Windows.cmake passes the
; defines): installs the programs for every user of the PC under Program Files, with Start-menu
; entries for the window and the demo, shows and installs the licence, and registers an
; uninstaller in "Apps" / "Programs and Features". /S installs and uninstalls silently.
;   VERSION   the project's version          FILES_DIR  the programs and LICENSE.txt
;   ICON      tarnwell.ico                   OUTFILE    the installer to write
;   PUBLISHER who publishes it

; A 64-bit installer for 64-bit programs: Windows itself turns it away on a 32-bit system, and it
; sees the 64-bit registry and Program Files as they are.
Target amd64-unicode
SetCompressor /SOLID lzma
!include MUI2.nsh

!define PRODUCT Tarnwell
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define START_MENU "$SMPROGRAMS\${PRODUCT}"
!define WINDOW_LINK "${START_MENU}\${PRODUCT}.lnk"
!define DEMO_LINK "${START_MENU}\${PRODUCT} demo.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} installer"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "See LICENSE.txt"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarnwell.exe"
!insertmacro MUI_PAGE_LICENSE "${FILES_DIR}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Start-menu entries for every user of the PC.
Function .onInit
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

; Every file the installer puts in the install folder; the uninstaller removes exactly these.
!macro ForEachInstalledFile MACRO
    !insertmacro ${MACRO} tarnwell.exe
    !insertmacro ${MACRO} tarnwell-demo.exe
    !insertmacro ${MACRO} tarnwell-ctl.exe
    !insertmacro ${MACRO} tarnwell-plan.exe
    !insertmacro ${MACRO} LICENSE.txt
!macroend
!macro InstallFile NAME
    File "${FILES_DIR}\${NAME}"
!macroend
!macro RemoveFile NAME
    Delete "$INSTDIR\${NAME}"
!macroend

Section
    SetOutPath "$INSTDIR"
    !insertmacro ForEachInstalledFile InstallFile
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "${START_MENU}"
    CreateShortcut "${WINDOW_LINK}" "$INSTDIR\tarnwell.exe"
    CreateShortcut "${DEMO_LINK}" "$INSTDIR\tarnwell-demo.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\tarnwell.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

Section Uninstall
    !insertmacro ForEachInstalledFile RemoveFile
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${WINDOW_LINK}"
    Delete "${DEMO_LINK}"
    RMDir "${START_MENU}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
