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

; Velmar ends on its "Exit Velmar" command to a Start button, and on a quit
; message to its thread, whose hidden top-level window "Velmar.Taskbar.Watch"
; lives for the whole run, also while no taskbar (and so no button) exists.
; Quillset ends on its Cancel command without writing the list.
!define VELMAR_WATCH "Velmar.Taskbar.Watch"
!define QUILLSET_MUTEX "{A5A7CE33-55C1-4c31-A4C2-5E298C1F2688}"
; Longer than either program's own bounded exit (Velmar's keyboard-hook thread
; and menu waits, a few seconds at most under load).
!define EXIT_WAIT 30000
!define SYNCHRONIZE_QUERY 0x00101000 ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION

; Waits for the process that owns window $1 to end, for at most EXIT_WAIT ms.
; The handle is taken before the window is told to go, so the wait cannot miss the end.
!macro OpenOwner
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r5) i .r6'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE_QUERY}, i 0, i r5) p .r7'
!macroend
!macro WaitOwner
    ${If} $7 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r7, i ${EXIT_WAIT}) i .r8'
        System::Call 'kernel32::CloseHandle(p r7)'
    ${EndIf}
!macroend

!macro EndProgramsBody
    ; A Start button on a taskbar: its own "Exit Velmar".
    StrCpy $0 0
    ${Do}
        FindWindow $0 "Shell_TrayWnd" "" 0 $0
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        FindWindow $1 "" "Start.Button.Main" $0
        ${If} $1 <> 0
            !insertmacro OpenOwner
            SendMessage $1 ${WM_COMMAND} ${ID_START_EXIT} 0 /TIMEOUT=5000
            !insertmacro WaitOwner
        ${EndIf}
    ${Loop}
    ; A Velmar without a button at this moment (the taskbar is gone or being made anew).
    ${Do}
        FindWindow $1 "" "${VELMAR_WATCH}"
        ${If} $1 = 0
            ${Break}
        ${EndIf}
        !insertmacro OpenOwner
        System::Call 'user32::PostThreadMessageW(i r6, i ${WM_QUIT}, p 0, p 0) i .r8'
        ${If} $7 P= 0
        ${OrIf} $8 = 0
            ${Break}
        ${EndIf}
        !insertmacro WaitOwner
        ${If} $8 <> 0
            ${Break} ; still running after its time: reported below
        ${EndIf}
    ${Loop}
    ; An open Quillset of this installation (its dialog's title follows the language).
    StrCpy $0 0
    ${Do}
        FindWindow $0 "#32770" "" 0 $0
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        StrCpy $1 $0
        ; Its main dialog (the one with the Add button), not a message box over it.
        System::Call 'user32::GetDlgItem(p r1, i 1014) p .r9'
        ${If} $9 P= 0
            ${Continue}
        ${EndIf}
        !insertmacro OpenOwner
        ${If} $7 P= 0
            ${Continue}
        ${EndIf}
        System::Call 'kernel32::QueryFullProcessImageNameW(p r7, i 0, w .r9, *i ${NSIS_MAX_STRLEN}) i .r8'
        ${If} $8 = 0
        ${OrIf} $9 != "$INSTDIR\Quillset.exe"
            System::Call 'kernel32::CloseHandle(p r7)'
            ${Continue}
        ${EndIf}
        SendMessage $1 ${WM_COMMAND} 2 0 /TIMEOUT=5000 ; IDCANCEL: ends without writing
        !insertmacro WaitOwner
        ${If} $8 <> 0
            ${Break} ; it did not end in time; its files are then not replaced
        ${EndIf}
        StrCpy $0 0 ; the window list changed: from the start again
    ${Loop}
    ; Velmar releases its single-instance mutex last; one that holds it still has not ended.
    StrCpy $2 0
    ${Do}
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${VELMAR_MUTEX}") p.r3'
        ${If} $3 P= 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r3)'
        Sleep 100
        IntOp $2 $2 + 1
    ${LoopUntil} $2 >= 100
    StrCpy $R9 0
    ${If} $3 P<> 0
        StrCpy $R9 1
    ${EndIf}
!macroend

; Ends Velmar and Quillset before their files are touched. $R9 is 1 when a
; Velmar is still running afterwards.
Function EndPrograms
    !insertmacro EndProgramsBody
FunctionEnd
Function un.EndPrograms
    !insertmacro EndProgramsBody
FunctionEnd

; The taskbar's process can keep Pegwell.dll mapped after Velmar has removed its
; hook, and a mapped file cannot be deleted. Wait a little for it to let go; if
; it does not, move the file aside (a mapped file can be renamed, but only
; within its volume): into the temporary folder, else into a folder beside it,
; either removed at the next sign-in, when no taskbar holds it any more.
; $R8 is 1 when Pegwell.dll is still in its place.
!macro RemoveHookLibraryBody
    ; What an earlier run moved aside and nothing holds any more.
    RMDir /r "$INSTDIR\Velmar-removed"
    StrCpy $2 0
    StrCpy $R8 0
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
                ${Break}
            ${EndIf}
            RMDir "$TEMP\Velmar-removed"
            CreateDirectory "$INSTDIR\Velmar-removed"
            ClearErrors
            Rename "$INSTDIR\Pegwell.dll" "$INSTDIR\Velmar-removed\Pegwell-$4.dll"
            ${IfNot} ${Errors}
                WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\RunOnce" "Velmar cleanup (folder)" \
                    '"$SYSDIR\cmd.exe" /c rd /s /q "$INSTDIR\Velmar-removed" & rd "$INSTDIR"'
                ${Break}
            ${EndIf}
            RMDir "$INSTDIR\Velmar-removed"
            StrCpy $R8 1
            ${Break}
        ${EndIf}
        Sleep 100
        IntOp $2 $2 + 1
    ${Loop}
!macroend
Function RemoveHookLibrary
    !insertmacro RemoveHookLibraryBody
FunctionEnd
Function un.RemoveHookLibrary
    !insertmacro RemoveHookLibraryBody
FunctionEnd

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
    ; A file that cannot be replaced stops the installation: never new programs
    ; beside an old hook library.
    AllowSkipFiles off
    Call EndPrograms
    ${If} $R9 = 1
        MessageBox MB_ICONSTOP|MB_OK "Velmar is still running and could not be ended, so nothing was changed.             Choose $\"Exit Velmar$\" on its Start button, then run this setup again." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
    SetOutPath "$INSTDIR"
    Call RemoveHookLibrary
    ${If} $R8 = 1
        MessageBox MB_ICONSTOP|MB_OK "Pegwell.dll in $INSTDIR is in use by another program, so nothing was changed.             Sign out and in again (or restart Windows), then run this setup again." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
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
    Call un.EndPrograms
    DeleteRegValue HKCU "${RUN_KEY}" "Velmar"
    Delete "$SMPROGRAMS\Velmar\Velmar Options.lnk"
    RMDir "$SMPROGRAMS\Velmar"
    Call un.RemoveHookLibrary
    !insertmacro VelmarRemoveFiles
    RMDir "$INSTDIR\skin"
    ; "Apps & features" keeps its entry, and the entry its uninstaller, for as
    ; long as any file of ours is left (a library moved aside is removed at sign-in).
    StrCpy $R7 ""
    FindFirst $0 $1 "$INSTDIR\*"
    ${DoWhile} $1 != ""
        ${If} $1 != "."
        ${AndIf} $1 != ".."
        ${AndIf} $1 != "uninstall.exe"
        ${AndIf} $1 != "Velmar-removed"
            StrCpy $R7 $1
        ${EndIf}
        FindNext $0 $1
    ${Loop}
    FindClose $0
    ${If} $R7 != ""
        MessageBox MB_ICONEXCLAMATION|MB_OK "Some of Velmar's files are in use and were left in $INSTDIR \
            ($R7). Close the programs that use them, then uninstall Velmar again." /SD IDOK
        SetErrorLevel 2
    ${Else}
        Delete "$INSTDIR\uninstall.exe"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
        ; Last, so that the folder's disappearance says the uninstall is complete.
        RMDir "$INSTDIR"
    ${EndIf}
    ; The pinned list in %APPDATA%\Velmar is the user's own and stays.
SectionEnd
