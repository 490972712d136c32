; The Windows installer: the program with the DLLs and fonts it needs, the README, a
; start-menu entry and an uninstaller. Firebird's client (fbclient.dll) comes along
; for a machine that reaches the server without a Firebird installation of its own;
; where Firebird is installed, the program takes the installation's client first.
; makensis -DVERSION=x.y.z -DSTAGE=<folder with importarcot.exe> -DOUTFILE=<setup.exe>
Unicode true
; A 64-bit installer, like the program: it runs where the program runs, Wine's 64-bit
; prefix included.
Target amd64-unicode
!include x64.nsh

Name "importarcot ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\importarcot"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

; By name, so that the uninstaller removes only what the installer put there.
!macro ShippedFiles Command
    ${Command} "Qt6Core.dll"
    ${Command} "Qt6Gui.dll"
    ${Command} "Qt6Widgets.dll"
    ${Command} "libstdc++-6.dll"
    ${Command} "libgcc_s_seh-1.dll"
    ${Command} "libwinpthread-1.dll"
    ${Command} "fbclient.dll"
    ${Command} "fonts\LiberationSans-Regular.ttf"
    ${Command} "fonts\LiberationSans-Bold.ttf"
    ${Command} "fonts\LiberationSansNarrow-Regular.ttf"
    ${Command} "fonts\LiberationSansNarrow-Bold.ttf"
    ${Command} "licencias\IPLicense.txt"
    ${Command} "licencias\IDPLicense.txt"
    ${Command} "licencias\libtommath.txt"
    ${Command} "licencias\fonts-liberation.txt"
!macroend
!macro InstallShipped Name
    File "/oname=${Name}" "${STAGE}\${Name}"
!macroend
!macro RemoveShipped Name
    Delete "$INSTDIR\${Name}"
!macroend

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\importarcot"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "importarcot"
    SetOutPath "$INSTDIR"
    CreateDirectory "$INSTDIR\fonts"
    CreateDirectory "$INSTDIR\licencias"
    File "${STAGE}\importarcot.exe"
    !insertmacro ShippedFiles "!insertmacro InstallShipped"
    File "/oname=README.md" "${STAGE}\README.md"
    SetOutPath "$INSTDIR\platforms"
    File "${STAGE}\platforms\qwindows.dll"
    SetOutPath "$INSTDIR\styles"
    File "${STAGE}\styles\qwindowsvistastyle.dll"
    SetOutPath "$INSTDIR"

    WriteUninstaller "$INSTDIR\uninstall.exe"
    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\importarcot"
    CreateShortcut "$SMPROGRAMS\importarcot\importarcot.lnk" "$INSTDIR\importarcot.exe"
    CreateShortcut "$SMPROGRAMS\importarcot\Desinstalar importarcot.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "importarcot"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\importarcot.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\importarcot\importarcot.lnk"
    Delete "$SMPROGRAMS\importarcot\Desinstalar importarcot.lnk"
    RMDir "$SMPROGRAMS\importarcot"
    Delete "$INSTDIR\platforms\qwindows.dll"
    RMDir "$INSTDIR\platforms"
    Delete "$INSTDIR\styles\qwindowsvistastyle.dll"
    RMDir "$INSTDIR\styles"
    Delete "$INSTDIR\importarcot.exe"
    !insertmacro ShippedFiles "!insertmacro RemoveShipped"
    Delete "$INSTDIR\README.md"
    RMDir "$INSTDIR\fonts"
    RMDir "$INSTDIR\licencias"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
