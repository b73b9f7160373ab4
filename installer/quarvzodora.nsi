; Setup program of Quarv Zodora: installs belvanto.exe for all users, starts it at log-on,
; and removes it again while keeping every user's appointments and settings.
;
; Built by CMake (target "installer"), which passes:
;   VERSION        the program's version, e.g. 1.2
;   VERSION_QUAD   the same with four numbers, e.g. 1.2.0.0
;   PROGRAM_EXE    the built belvanto.exe
;   ICON           the program's icon (.ico)
;   WIZARD_BITMAP  the picture of the first and last page (.bmp, 164 x 314)
;   OUTFILE        the setup program to write

Unicode true
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Quarv Zodora"
!define PUBLISHER "Quarv Zodora Projekt"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuarvZodora"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\QuarvWecker"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

; What the running program understands: its hidden window and the tray menu's "Beenden".
!define PROGRAM_WINDOW_CLASS "quarv_wecker"
!searchparse /file "${__FILEDIR__}/../res/resource.h" "#define IDM_EXIT " PROGRAM_EXIT_COMMAND
!define SYNCHRONIZE 0x00100000
!define WAIT_OBJECT_0 0

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "FileDescription" "${PRODUCT} ${VERSION} Installation"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} jetzt starten"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgramAsUser
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} wurde von Ihrem Computer entfernt.$\r$\n$\r$\n\
Ihre Termine (quarvwecker.xml) und Ihre Einstellungen wurden nicht gelöscht, auch die \
der anderen Benutzer nicht. Wenn Sie ${PRODUCT} wieder installieren, sind sie wieder da.\
$\r$\n$\r$\nKlicken Sie auf Fertigstellen, um den Assistenten zu schließen."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "German"

; Ends a running belvanto.exe the way its tray menu does, so that it saves its book, and
; waits until the process has ended. If it does not end, the user may retry or cancel.
!macro DEFINE_END_RUNNING_PROGRAM UN
Function ${UN}EndRunningProgram
    Push $0
    Push $1
    Push $2
    Push $3
    next:
        FindWindow $0 "${PROGRAM_WINDOW_CLASS}"
        ${If} $0 = 0
            Goto done
        ${EndIf}
        DetailPrint "${PRODUCT} wird beendet ..."
        System::Call "user32::GetWindowThreadProcessId(p r0, *i 0 r1) i"
        System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2"
        SendMessage $0 ${WM_COMMAND} ${PROGRAM_EXIT_COMMAND} 0 /TIMEOUT=10000
        ${If} $2 P<> 0
            System::Call "kernel32::WaitForSingleObject(p r2, i 30000) i .r3"
            System::Call "kernel32::CloseHandle(p r2)"
            ${If} $3 = ${WAIT_OBJECT_0}
                Goto next
            ${EndIf}
        ${Else}
            ; Without access to the process, its window going away has to do.
            ${For} $3 1 120
                IsWindow $0 0 next
                Sleep 250
            ${Next}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} läuft noch und konnte nicht \
beendet werden.$\r$\nBitte beenden Sie es im Tray-Menü mit $\"Beenden$\" und klicken Sie \
dann auf Wiederholen." /SD IDCANCEL IDRETRY next
        Abort "${PRODUCT} läuft noch."
    done:
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_PROGRAM ""
!insertmacro DEFINE_END_RUNNING_PROGRAM "un."

; Installing into Program Files and writing machine-wide keys needs an administrator.
!macro REQUIRE_ADMINISTRATOR
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_OK|MB_ICONSTOP "Für diesen Vorgang sind Administratorrechte \
erforderlich." /SD IDOK
        SetErrorLevel 740
        Quit
    ${EndIf}
!macroend

Function .onInit
    !insertmacro REQUIRE_ADMINISTRATOR
    SetShellVarContext all
    Call KeepAutostartChoice
FunctionEnd

Function un.onInit
    !insertmacro REQUIRE_ADMINISTRATOR
    SetShellVarContext all
FunctionEnd

Section "${PRODUCT} (erforderlich)" SecProgram
    SectionIn RO
    Call EndRunningProgram
    SetOutPath "$INSTDIR"
    File "/oname=belvanto.exe" "${PROGRAM_EXE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\belvanto.exe" "" "$INSTDIR\belvanto.exe" 0
    ; The autostart section below writes the value again when it is chosen.
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
    Call EnsureUserDataChoice
    Call RegisterUninstaller
SectionEnd

Section "Bei jeder Anmeldung starten" SecAutostart
    WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" "$\"$INSTDIR\belvanto.exe$\""
SectionEnd

; An update keeps a user's earlier "no autostart"; a first installation starts at log-on.
Function KeepAutostartChoice
    ClearErrors
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
    ${IfNot} ${Errors}
        ClearErrors
        ReadRegStr $0 HKLM "${RUN_KEY}" "${PRODUCT}"
        ${If} ${Errors}
            SectionSetFlags ${SecAutostart} 0
        ${EndIf}
    ${EndIf}
FunctionEnd

; The appointment file shared by all users ("userdata" = 0) may be read and written by every
; user of the PC, also when an older version left it with its creator's rights only. The
; rights are the program's own, read from its source.
!searchparse /file "${__FILEDIR__}/../store/all_users_rights.h" \
    'ALL_USERS_FILE_RIGHTS[] = "' ALL_USERS_FILE_RIGHTS '"'
Section "-Termine aller Benutzer freigeben"
    ; With SetShellVarContext all, $APPDATA is the folder shared by all users.
    ${If} ${FileExists} "$APPDATA\quarvwecker.xml"
        ; SDDL_REVISION_1, DACL_SECURITY_INFORMATION
        System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(\
w "${ALL_USERS_FILE_RIGHTS}", i 1, *p .r1, p 0) i .r0'
        ${If} $0 <> 0
            System::Call 'advapi32::SetFileSecurityW(w "$APPDATA\quarvwecker.xml", i 4, p r1) i .r0'
            System::Call 'kernel32::LocalFree(p r1)'
        ${EndIf}
    ${EndIf}
SectionEnd

; New machines let every user keep appointments and settings of their own ("userdata" = 1),
; so that ordinary users never need to write machine-wide. An existing value, of whatever
; type, is the administrator's choice and stays as it is.
Function EnsureUserDataChoice
    StrCpy $0 0
    ${Do}
        ClearErrors
        EnumRegValue $1 HKLM "${SETTINGS_KEY}" $0
        ${If} ${Errors}
        ${OrIf} $1 == ""
            WriteRegDWORD HKLM "${SETTINGS_KEY}" "userdata" 1
            ${Break}
        ${EndIf}
        ${If} $1 == "userdata"
            ${Break}
        ${EndIf}
        IntOp $0 $0 + 1
    ${Loop}
FunctionEnd

Function RegisterUninstaller
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\belvanto.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
FunctionEnd

; The installer runs elevated. Explorer, the logged-on user's own shell, starts the program
; for it, so that the program runs as that user and not as the administrator.
Function StartProgramAsUser
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\belvanto.exe"'
FunctionEnd

; Appointment files and every user's settings (HKLM and HKCU "Software\QuarvWecker") stay.
Section "Uninstall"
    Call un.EndRunningProgram
    Delete "$INSTDIR\belvanto.exe"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
