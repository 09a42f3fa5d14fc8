; The per-user installer: no administrator rights, everything under the
; user's own profile and HKCU. Built by scripts/package.sh, which passes
;   VERSION   the project's version from CMake (x.y.z)
;   STAGE     a folder with tallyframe.exe, README.txt and THIRD-PARTY-NOTICES.txt
;   ICON      the program's icon file
;   OUTFILE   the installer to write
; Silent: /S (and /D=<folder> as the last argument for another folder);
; the uninstaller takes /S too.

Unicode true
; A 64-bit stub: the program is 64-bit only, and Wine without its 32-bit half
; runs nothing else.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
; A file that cannot be written ends the install (retry or cancel); skipping
; it would leave an install that starts an old or no program.
AllowSkipFiles off

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Tallyframe"
!define PUBLISHER "Quorvelle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallyframe"
!define SHORTCUT "$SMPROGRAMS\Tallyframe.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; An upgrade goes where the last install went, even when the user chose a
; folder of their own then.
InstallDir "$LOCALAPPDATA\Programs\Tallyframe"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}. All rights reserved."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tallyframe.exe"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString ProgramRunning ${LANG_ENGLISH} "Tallyframe is running. Close it and try again."
LangString ProgramRunning ${LANG_SIMPCHINESE} "塔利帧正在运行。请关闭后重试。"
LangString NotWritten ${LANG_ENGLISH} "Setup could not write to $INSTDIR."
LangString NotWritten ${LANG_SIMPCHINESE} "安装程序无法写入 $INSTDIR。"

; A running copy keeps its exe open without write sharing: opening it for
; writing fails. Checked before anything changes, so a refused upgrade or
; uninstall leaves the old install whole.
!macro RefuseWhileRunning
    ${If} ${FileExists} "$INSTDIR\tallyframe.exe"
        ClearErrors
        FileOpen $0 "$INSTDIR\tallyframe.exe" a
        ${If} ${Errors}
            MessageBox MB_ICONSTOP "$(ProgramRunning)" /SD IDOK
            SetErrorLevel 5
            Quit
        ${EndIf}
        FileClose $0
    ${EndIf}
!macroend

Section "Tallyframe"
    SetShellVarContext current
    !insertmacro RefuseWhileRunning
    SetOutPath "$INSTDIR"
    ClearErrors
    File "${STAGE}\tallyframe.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\THIRD-PARTY-NOTICES.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ${If} ${Errors}
        MessageBox MB_ICONSTOP "$(NotWritten)" /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    CreateShortcut "${SHORTCUT}" "$INSTDIR\tallyframe.exe" "" "$INSTDIR\tallyframe.exe" 0

    ; The whole entry is written again on every install: an upgrade shows the
    ; new version and size.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tallyframe.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "https://tallyframe.quorvelle.com/"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Only what setup put there goes: settings.ini lives in the roaming folder
; (or, with a portable marker, beside the exe), capture logs lie beside the
; exe and screenshots in the capture folder, and a folder that still holds
; any of them stays.
Section "Uninstall"
    SetShellVarContext current
    !insertmacro RefuseWhileRunning
    Delete "$INSTDIR\tallyframe.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd
