; Per-user installer for Velmar: no administrator rights, everything under the
; user's own folders and HKCU. Built by the "installer" target (make package),
; which passes VERSION, STAGE (the folder holding the files to ship), FILES (the
; generated file lists), ICON and OUTFILE.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"
!include "Sections.nsh"
!include "${FILES}"

!define PRODUCT "Velmar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmar"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Velmar's single-instance mutex and its "Exit Velmar" command on the Start button.
!define VELMAR_MUTEX "{6D4250E9-0FAA-484B-AE61-D577C975A0DE}"
!define ID_START_EXIT 32786

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Velmar"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "LegalCopyright" "${PRODUCT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmar.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Velmar now"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends a running Velmar the way its "Exit Velmar" command does (the button
; removes the taskbar hook and lets the taskbar lay out again), then waits up to
; 10 s for the process to release its single-instance mutex.
!macro EndVelmar
    StrCpy $0 0
    ${Do}
        FindWindow $0 "Shell_TrayWnd" "" 0 $0
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        FindWindow $1 "" "Start.Button.Main" $0
        ${If} $1 <> 0
            SendMessage $1 ${WM_COMMAND} ${ID_START_EXIT} 0 /TIMEOUT=5000
        ${EndIf}
    ${Loop}
    StrCpy $2 0
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${VELMAR_MUTEX}") p.r3'
        ${If} $3 = 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r3)'
        Sleep 100
        IntOp $2 $2 + 1
    ${LoopUntil} $2 >= 100
!macroend

; The taskbar's process can keep Pegwell.dll mapped after Velmar has removed its
; hook, and a mapped file cannot be deleted. Wait a little for it to let go; if
; it does not, move the file aside (a mapped file can be renamed) into a folder
; that is removed at the next sign-in, when no taskbar holds it any more.
!macro RemoveHookLibrary
    StrCpy $2 0
    ${Do}
        ClearErrors
        Delete "$INSTDIR\Pegwell.dll"
        ${IfNot} ${Errors}
        ${AndIfNot} ${FileExists} "$INSTDIR\Pegwell.dll"
            ${Break}
        ${EndIf}
        ${If} $2 >= 20
            System::Call 'kernel32::GetTickCount() i.r4'
            CreateDirectory "$TEMP\Velmar-removed"
            ClearErrors
            Rename "$INSTDIR\Pegwell.dll" "$TEMP\Velmar-removed\Pegwell-$4.dll"
            ${IfNot} ${Errors}
                WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\RunOnce" "Velmar cleanup" \
                    '"$SYSDIR\cmd.exe" /c rd /s /q "$TEMP\Velmar-removed"'
            ${EndIf}
            ${Break}
        ${EndIf}
        Sleep 100
        IntOp $2 $2 + 1
    ${Loop}
!macroend

; One starter entry, only for a program this machine has (Paint, for one, is
; no longer in System32 on every Windows 11).
!macro StarterEntry NAME PATH
    IfFileExists "${PATH}" 0 +2
    FileWrite $0 "APP=${NAME}|app|${PATH}$\r$\n"
!macroend

; A few programs every Windows machine has, written only for a user who has no
; list yet (the default skin's SKIN.APPLIST is applist.lst in %APPDATA%\Velmar).
Function WriteStarterList
    SetShellVarContext current
    IfFileExists "$APPDATA\Velmar\applist.lst" done
    CreateDirectory "$APPDATA\Velmar"
    ClearErrors
    FileOpen $0 "$APPDATA\Velmar\applist.lst" w
    IfErrors done
    ; UTF-8 byte order mark and CR LF line ends, as Quillset writes the file.
    FileWriteByte $0 239
    FileWriteByte $0 187
    FileWriteByte $0 191
    FileWrite $0 "# Application List$\r$\n# encoding: UTF-8$\r$\n"
    !insertmacro StarterEntry "Explorer" "$WINDIR\explorer.exe"
    !insertmacro StarterEntry "Notepad" "$SYSDIR\notepad.exe"
    !insertmacro StarterEntry "Paint" "$SYSDIR\mspaint.exe"
    !insertmacro StarterEntry "Command Prompt" "$SYSDIR\cmd.exe"
    !insertmacro StarterEntry "Control Panel" "$SYSDIR\control.exe"
    FileClose $0
done:
FunctionEnd

Section "Velmar" SecMain
    SectionIn RO
    SetShellVarContext current
    !insertmacro EndVelmar
    SetOutPath "$INSTDIR"
    !insertmacro RemoveHookLibrary
    !insertmacro VelmarInstallFiles
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Velmar"
    CreateShortcut "$SMPROGRAMS\Velmar\Velmar Options.lnk" "$INSTDIR\Quillset.exe" "" "$INSTDIR\Quillset.exe" 0 \
        SW_SHOWNORMAL "" "Choose the programs pinned to the Start menu"
    Call WriteStarterList

    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmar.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start Velmar when I sign in" SecRun
    WriteRegStr HKCU "${RUN_KEY}" "Velmar" '"$INSTDIR\Velmar.exe"'
SectionEnd

; Turning the option off on an upgrade removes the value an earlier install wrote.
Section "-RunOff"
    ${IfNot} ${SectionIsSelected} ${SecRun}
        DeleteRegValue HKCU "${RUN_KEY}" "Velmar"
    ${EndIf}
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    !insertmacro EndVelmar
    DeleteRegValue HKCU "${RUN_KEY}" "Velmar"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "$SMPROGRAMS\Velmar\Velmar Options.lnk"
    RMDir "$SMPROGRAMS\Velmar"
    !insertmacro RemoveHookLibrary
    !insertmacro VelmarRemoveFiles
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR\skin"
    ; Last, so that the folder's disappearance says the uninstall is complete.
    RMDir "$INSTDIR"
    ; The pinned list in %APPDATA%\Velmar is the user's own and stays.
SectionEnd
