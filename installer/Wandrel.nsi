; Wandrel's per-user installer. tools/package builds it with makensis:
;   makensis -DVERSION=4.02 -DBIN=<folder with Wandrel4.exe, Kestrow.ocx, x64\Kestrow.ocx,
;            README.txt> -DOUTFILE=<setup.exe> [-DAMD64] Wandrel.nsi
; AMD64 builds the same installer as a 64-bit program (for test machines that run no
; 32-bit code); what ships is the 32-bit one, which runs on every Windows.
;
; With -DSIGN=<command> the command signs the uninstaller as makensis writes it and the
; setup at the end (tools/package passes tools/sign-file when a certificate is given).
;
; Command line: /S silent; /RegisterControl also registers the control for other
; programs (the component is off by default); /D=folder another install folder.
Unicode true
!ifdef AMD64
Target amd64-unicode
!endif
RequestExecutionLevel user
!ifdef SIGN
!uninstfinalize '"${SIGN}" "%1"' = 0
!finalize '"${SIGN}" "%1"' = 0
!endif
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh

!define PRODUCT "Wandrel 4"
!define PUBLISHER "Wandrel"
!define SETTINGS_KEY "Software\Wandrel4"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Wandrel"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Wandrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Sets $R0 to 1 when a process named Wandrel4.exe runs, else to 0. Windows are no sign:
; the program may be starting or between windows.
!macro FIND_WANDREL UN
Function ${UN}FindWandrel
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $R0 0
  !if ${NSIS_PTR_SIZE} > 4
    !define /redef ENTRY_SIZE 568
    !define /redef NAME_OFFSET 44
  !else
    !define /redef ENTRY_SIZE 556
    !define /redef NAME_OFFSET 36
  !endif
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r1'
  ${If} $1 P<> -1
    System::Alloc ${ENTRY_SIZE}
    Pop $2
    System::Call '*$2(i ${ENTRY_SIZE})'
    System::Call 'kernel32::Process32FirstW(p r1, p r2) i .r3'
    ${DoWhile} $3 <> 0
      IntPtrOp $4 $2 + ${NAME_OFFSET}
      System::Call '*$4(&w260 .r5)'
      ${If} $5 == "Wandrel4.exe"
        StrCpy $R0 1
        ${Break}
      ${EndIf}
      System::Call 'kernel32::Process32NextW(p r1, p r2) i .r3'
    ${Loop}
    System::Free $2
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro FIND_WANDREL ""
!insertmacro FIND_WANDREL "un."

; Runs regsvr32 of the given bitness on the control with the given switches.
!macro REGSVR32 BITS SWITCHES OCX
  !if ${BITS} == 64
    ${If} ${RunningX64}
      !if ${NSIS_PTR_SIZE} > 4
        ExecWait '"$SYSDIR\regsvr32.exe" /s ${SWITCHES} "${OCX}"' $0
      !else
        ExecWait '"$WINDIR\Sysnative\regsvr32.exe" /s ${SWITCHES} "${OCX}"' $0
      !endif
      DetailPrint "regsvr32 (64-bit) ${SWITCHES} ${OCX}: $0"
    ${EndIf}
  !else
    !if ${NSIS_PTR_SIZE} > 4
      ExecWait '"$WINDIR\SysWOW64\regsvr32.exe" /s ${SWITCHES} "${OCX}"' $0
    !else
      ExecWait '"$SYSDIR\regsvr32.exe" /s ${SWITCHES} "${OCX}"' $0
    !endif
    DetailPrint "regsvr32 (32-bit) ${SWITCHES} ${OCX}: $0"
  !endif
!macroend

Section "Wandrel" SecProgram
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${BIN}\Wandrel4.exe"
  File "${BIN}\Kestrow.ocx"
  File "${BIN}\README.txt"
  SetOutPath "$INSTDIR\x64"
  File "${BIN}\x64\Kestrow.ocx"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Wandrel4.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Wandrel4.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Register the control for other programs" SecRegister
  !insertmacro REGSVR32 32 "/n /i:user" "$INSTDIR\Kestrow.ocx"
  !insertmacro REGSVR32 64 "/n /i:user" "$INSTDIR\x64\Kestrow.ocx"
  ; The uninstaller removes the registration only when this install made it.
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "ControlRegistered" 1
SectionEnd

Section "-Forget an earlier registration" SecForget
  ${IfNot} ${SectionIsSelected} ${SecRegister}
    ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "ControlRegistered"
    ${If} $0 = 1
      !insertmacro REGSVR32 32 "/u /n /i:user" "$INSTDIR\Kestrow.ocx"
      !insertmacro REGSVR32 64 "/u /n /i:user" "$INSTDIR\x64\Kestrow.ocx"
      DeleteRegValue HKCU "${UNINSTALL_KEY}" "ControlRegistered"
    ${EndIf}
  ${EndIf}
SectionEnd

; After the sections: it selects one by its index.
Function .onInit
  Call FindWandrel
  ${If} $R0 = 1
    MessageBox MB_ICONSTOP "Wandrel is running. Close it, then run Setup again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RegisterControl" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecRegister}
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.FindWandrel
  ${If} $R0 = 1
    MessageBox MB_ICONSTOP "Wandrel is running. Close it, then uninstall it again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "ControlRegistered"
  ${If} $0 = 1
    !insertmacro REGSVR32 32 "/u /n /i:user" "$INSTDIR\Kestrow.ocx"
    !insertmacro REGSVR32 64 "/u /n /i:user" "$INSTDIR\x64\Kestrow.ocx"
  ${EndIf}
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\Wandrel4.exe"
  Delete "$INSTDIR\Kestrow.ocx"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\x64\Kestrow.ocx"
  RMDir "$INSTDIR\x64"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  MessageBox MB_YESNO|MB_ICONQUESTION "Also remove your Wandrel settings (HKEY_CURRENT_USER\${SETTINGS_KEY})?" /SD IDNO IDNO keep
  DeleteRegKey HKCU "${SETTINGS_KEY}"
keep:
SectionEnd
