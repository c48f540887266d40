; Vantrel's Windows installer, built by the CMake target windows_installer:
;   makensis -DVERSION=1.40 -DVERSION_QUAD=1.40.0.0 -DSTAGE=<staged install> \
;            -DGENERATED=<folder of files.nsh and types.nsh> -DLICENSE_FILE=LICENSE \
;            -DOUTFILE=vantrel-1.40-setup.exe vantrel.nsi
;
; Per user by default, without administrator rights, into %LOCALAPPDATA%\Programs\Vantrel;
; for all users, into Program Files, when run elevated (an administrator's elevated installer
; can still choose per user with /CurrentUser). /S installs and uninstalls silently, /D=FOLDER
; picks the folder. The mode decides every place written: the Start menu, the "Apps" entry
; and "Open with" go to the user's (HKCU) or the machine's (HKLM) part of the registry.
;
; A 64-bit installer: a 32-bit one would be redirected to the 32-bit registry and folders
; (and does not run at all under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all
; A file that cannot be written (a running vantrel.exe holds it) stops the install with an
; error, rather than being skipped into a mixed install that reports success.
AllowSkipFiles off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${GENERATED}/files.nsh"
!include "${GENERATED}/types.nsh"

!define PRODUCT "Vantrel"
!define PUBLISHER "Vantrel team"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrel"
!define APP_CLASS "Software\Classes\Applications\vantrel.exe"
!define PROGID "Vantrel.VideoFile"
!define SHORTCUT "$SMPROGRAMS\Vantrel.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 LegalCopyright "GNU General Public License, version 2"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!if /FileExists "${STAGE}/vantrel.exe"
    !define MUI_FINISHPAGE_RUN "$INSTDIR\vantrel.exe"
    !insertmacro MUI_PAGE_FINISH
!endif
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
LangString AllUsersNeedsAdmin ${LANG_ENGLISH} "Vantrel was installed for all users of this computer. Uninstall it as an administrator (right-click the uninstaller, Run as administrator)."

; 1 when installed for all users.
Var AllUsers

Function .onInit
    SetRegView 64
    StrCpy $AllUsers 0
    ; "Admin" only with an elevated token: an administrator's ordinary (filtered) token is a
    ; user's.
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
        StrCpy $AllUsers 1
    ${EndIf}
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/CurrentUser" $2
    ${IfNot} ${Errors}
        StrCpy $AllUsers 0
    ${EndIf}
    ${If} $AllUsers == 1
        SetShellVarContext all
        ${If} $INSTDIR == ""
            StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
        ${EndIf}
    ${Else}
        SetShellVarContext current
        ${If} $INSTDIR == ""
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
        ${EndIf}
    ${EndIf}
FunctionEnd

!macro RegisterVideoType EXT
    WriteRegStr SHCTX "${APP_CLASS}\SupportedTypes" "${EXT}" ""
    WriteRegStr SHCTX "Software\Classes\${EXT}\OpenWithList\vantrel.exe" "" ""
    WriteRegStr SHCTX "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}" ""
!macroend

; Only what the installer added: another program's keys under the same extension stay.
!macro UnregisterVideoType EXT
    DeleteRegKey SHCTX "Software\Classes\${EXT}\OpenWithList\vantrel.exe"
    DeleteRegValue SHCTX "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "Software\Classes\${EXT}\OpenWithList"
    DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "Software\Classes\${EXT}\OpenWithProgids"
    DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "Software\Classes\${EXT}"
!macroend

Section "${PRODUCT}"
    SectionIn RO
    ; Over an earlier install: its uninstaller first, run in place and waited for, so that no
    ; file of the old version is left behind.
    ${If} ${FileExists} "$INSTDIR\uninstall.exe"
        ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    ${EndIf}

    SetOutPath "$INSTDIR"
    File /r "${STAGE}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    !if /FileExists "${STAGE}/vantrel.exe"
        CreateShortcut "${SHORTCUT}" "$INSTDIR\vantrel.exe" "" "$INSTDIR\vantrel.exe" 0 \
            SW_SHOWNORMAL "" "Convert video files into FLV files"

        ; "Open with" for the video types the window reads.
        WriteRegStr SHCTX "${APP_CLASS}" "FriendlyAppName" "${PRODUCT}"
        WriteRegStr SHCTX "${APP_CLASS}\DefaultIcon" "" '"$INSTDIR\vantrel.exe",0'
        WriteRegStr SHCTX "${APP_CLASS}\shell\open\command" "" '"$INSTDIR\vantrel.exe" "%1"'
        WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "Video file"
        WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\vantrel.exe",0'
        WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" \
            '"$INSTDIR\vantrel.exe" "%1"'
        !insertmacro VantrelForEachVideoType RegisterVideoType
        ; SHCNE_ASSOCCHANGED: Explorer reads the associations again.
        System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
        WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\vantrel.exe",0'
    !endif

    ; The "Apps" (Programs and Features) entry.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "URLInfoAbout" "https://vantrel.example.com/"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
    ; The mode the install was made in: the machine's entry names this folder, or it is the
    ; user's.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        ; Without elevation it could remove nothing of Program Files and HKLM: say so rather
        ; than leave a half-removed install.
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != "Admin"
            MessageBox MB_ICONSTOP "$(AllUsersNeedsAdmin)" /SD IDOK
            SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
            Quit
        ${EndIf}
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ; Each installed file by name: a folder the user chose may hold other files.
    !insertmacro VantrelRemoveFiles
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "${SHORTCUT}"
    !insertmacro VantrelForEachVideoType UnregisterVideoType
    DeleteRegKey SHCTX "${APP_CLASS}"
    DeleteRegKey SHCTX "Software\Classes\${PROGID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
