; Quendal's Windows installer: one per-machine installation in Program
; Files, a Start-menu shortcut and an entry in Apps & features, with its pages
; in Simplified Chinese like the program. One installer for every Windows
; from 7 SP1: it installs the 64-bit program on x64 Windows and the 32-bit
; one elsewhere (32-bit Windows, Windows on ARM). scripts/release.sh builds
; it; by hand:
;   makensis -DEXE64=path/to/x64/quendal.exe -DEXE32=path/to/x86/quendal.exe \
;            -DOUTFILE=setup.exe -DNAME=Quendal -DPUBLISHER=Morvik \
;            packaging/windows/quendal.nsi
; NAME and PUBLISHER come from cmake/AppIdentity.cmake, the version from the
; version records of the programs, so the installer cannot disagree with them.
; -DFINALIZE_UNINSTALLER=command (optional): run on the finished uninstaller,
; its path the one argument, before it goes into the installer; release.sh's
; signs it there and copies it out to check its header.
; Silent use (administrators): setup.exe /S [/D=folder], and
; "<folder>\uninstall.exe" /S. Either closes a running Quendal first; if it
; will not close, nothing is changed: setup.exe exits with 2, and the entry
; stays (uninstall.exe returns at once, as NSIS runs it from a copy in %TEMP%).
; An upgrade stays in the folder of the installed version; an older installer
; leaves a newer installation alone and exits with 1638.

Unicode true
; A 32-bit installer starts on every Windows; it reaches the 64-bit Program
; Files and registry view explicitly (ChooseBuild).
Target x86-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; The files keep no build time, so that the same sources give the same installer.
SetDateSave off

!ifndef EXE64 | EXE32 | OUTFILE | NAME | PUBLISHER
  !error "Define EXE64, EXE32, OUTFILE, NAME and PUBLISHER (see the top of this file)"
!endif
!ifdef FINALIZE_UNINSTALLER
  ; A command that fails stops makensis.
  !uninstfinalize '"${FINALIZE_UNINSTALLER}" "%1"' = 0
!endif
!getdllversion "${EXE64}" PROGRAM_VERSION_
!define VERSION "${PROGRAM_VERSION_1}.${PROGRAM_VERSION_2}.${PROGRAM_VERSION_3}.${PROGRAM_VERSION_4}"
!getdllversion "${EXE32}" PROGRAM32_VERSION_
!if "${VERSION}" != "${PROGRAM32_VERSION_1}.${PROGRAM32_VERSION_2}.${PROGRAM32_VERSION_3}.${PROGRAM32_VERSION_4}"
  !error "EXE64 is version ${VERSION}, EXE32 another: both must come from one build"
!endif
!define PROGRAM "quendal.exe"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${NAME}.lnk"
!define ENTRY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"
; makensis works in the folder of this file.
!define ICON "../../assets/quendal.ico"
; The summary of the AppStream record, in Chinese.
!define DESCRIPTION "阻容降压电路计算器"
; How long a running Quendal gets to close its windows, in milliseconds.
!define CLOSE_TIMEOUT 10000
; The exit status when a newer version is installed: Windows Installer's
; ERROR_PRODUCT_VERSION, which deployment tools know.
!define NEWER_INSTALLED 1638
!define MOVEFILE_REPLACE_EXISTING 0x1
!define MOVEFILE_WRITE_THROUGH 0x8
!define RM_FORCE_SHUTDOWN 0x1

!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include x64.nsh
!include MUI2.nsh

Name "${NAME}"
OutFile "${OUTFILE}"
; Set by .onInit for this machine (ChooseBuild), unless /D= names a folder.
InstallDir ""
BrandingText "${NAME} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow
; A file that cannot be written fails the installation instead of being
; skipped.
AllowSkipFiles off

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${NAME}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${NAME} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright (c) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString NeedsAdmin ${LANG_SIMPCHINESE} "安装和卸载 ${NAME} 需要管理员权限。"
LangString Running ${LANG_SIMPCHINESE} "${NAME} 正在运行。$\r$\n$\r$\n单击“确定”关闭 ${NAME} 并继续，单击“取消”退出。"
LangString StillRunning ${LANG_SIMPCHINESE} "无法关闭 ${NAME}。请关闭它，然后单击“重试”；单击“取消”退出，不做任何更改。"
LangString CannotReplace ${LANG_SIMPCHINESE} "无法替换 $INSTDIR\${PROGRAM}，可能仍有 ${NAME} 在运行，或者该文件正被其他程序（例如杀毒软件）使用。安装未做任何更改。"
LangString NewerInstalled ${LANG_SIMPCHINESE} "已安装较新版本的 ${NAME}（$0）。此安装程序是 ${VERSION} 版，不会用旧版本替换它。安装未做任何更改。"
LangString Incomplete ${LANG_SIMPCHINESE} "安装未能完成：无法写入 $INSTDIR、开始菜单或注册表。请重新运行安装程序。"
LangString CannotRemove ${LANG_SIMPCHINESE} "无法删除 $INSTDIR\${PROGRAM}，可能仍有 ${NAME} 在运行。卸载未做任何更改。"

; 1 when an installed Quendal is being replaced.
Var Upgrading
Var ProgramPath
; "x64" or "x86": the build this machine gets.
Var Build

; The build for this machine, by its own processor, not the installer's: the
; x64 program on x64 Windows (in the 64-bit Program Files, with the 64-bit
; registry view), the x86 one elsewhere. ${RunningX64} would also be true on
; ARM64 Windows, which runs x86 programs only before Windows 11.
!macro CHOOSE_BUILD un
Function ${un}ChooseBuild
  ${If} ${IsNativeAMD64}
    StrCpy $Build x64
    SetRegView 64
  ${Else}
    StrCpy $Build x86
    SetRegView 32
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CHOOSE_BUILD ""
!insertmacro CHOOSE_BUILD "un."

; The running-program checks, for the installer and (prefix "un.") the
; uninstaller, which NSIS keeps apart. Each function keeps the registers it
; uses: arguments and results go on the stack.
!macro RUNNING_PROGRAM_FUNCTIONS un
; Sets ProgramPath to $INSTDIR\quendal.exe as processes report their program.
Function ${un}FindProgramPath
  Push $0
  Push $1
  GetFullPathName $ProgramPath "$INSTDIR\${PROGRAM}"
  System::Call 'kernel32::GetLongPathNameW(w "$ProgramPath", w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 <> 0
    StrCpy $ProgramPath $0
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Process id -> 1 if that process runs ProgramPath, else 0. Any user's
; process counts: it keeps the file open as much as ours does.
Function ${un}IsInstalledProgram
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r0) p .r1'  ; query limited information
  ${If} $1 P<> 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r2, *i ${NSIS_MAX_STRLEN}) i .r0'
    System::Call 'kernel32::CloseHandle(p r1)'
    ${If} $0 <> 0
      ; Started through a short (8.3) name, it still counts.
      System::Call 'kernel32::GetLongPathNameW(w r2, w .r1, i ${NSIS_MAX_STRLEN}) i .r0'
      ${If} $0 <> 0
        StrCpy $2 $1
      ${EndIf}
      ; StrCmp, and so ==, ignores case, as Windows paths do.
      ${If} $2 == $ProgramPath
        StrCpy $3 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; -> how many processes run $INSTDIR\quendal.exe.
Function ${un}CountRunning
  Push $0  ; the count
  Push $1  ; process ids
  Push $2  ; their size in bytes
  Push $3  ; bytes filled
  Push $4
  StrCpy $0 0
  ${IfNot} ${FileExists} "$INSTDIR\${PROGRAM}"
    Goto done
  ${EndIf}
  Call ${un}FindProgramPath
  StrCpy $2 4096  ; doubled while the list fills it
  ${Do}
    System::Alloc $2
    Pop $1
    System::Call 'kernel32::K32EnumProcesses(p r1, i r2, *i .r3) i .r4'
    ${If} $4 = 0
      ; Not knowing is no reason to stop: replacing or deleting the file is
      ; the last check, and fails while the program runs.
      System::Free $1
      Goto done
    ${EndIf}
    ${If} $3 < $2
      ${Break}
    ${EndIf}
    System::Free $1
    IntOp $2 $2 * 2
  ${Loop}
  StrCpy $2 0
  ${DoWhile} $2 < $3
    IntPtrOp $4 $1 + $2
    System::Call '*$4(i .r4)'
    Push $4
    Call ${un}IsInstalledProgram
    Pop $4
    IntOp $0 $0 + $4
    IntOp $2 $2 + 4
  ${Loop}
  System::Free $1
done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Asks each visible window of those processes to close, as its close box
; would. Quendal holds nothing that closing it could lose. The windows come
; from EnumWindows, one list taken at once: walking them with FindWindowExW
; from the window closed last can hang Wine's server while that window is
; being destroyed.
Function ${un}CloseWindows
  Push $0  ; the callback
  Push $1  ; the window it is given
  Push $2
  Call ${un}FindProgramPath
  System::Get '(p .r1, p) iss'
  Pop $0
  System::Call 'user32::EnumWindows(k r0, p 0) i .s'
  ${Do}
    Pop $2  ; "callback1" for each window, at the end EnumWindows' own result
    ${If} $2 != "callback1"
      ${Break}
    ${EndIf}
    System::Call 'user32::IsWindowVisible(p r1) i .r2'
    ${If} $2 <> 0
      System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2)'
      Push $2
      Call ${un}IsInstalledProgram
      Pop $2
      ${If} $2 = 1
        System::Call 'user32::PostMessageW(p r1, i 0x0010, p 0, p 0)'  ; WM_CLOSE
      ${EndIf}
    ${EndIf}
    Push 1  ; go on to the next window
    System::Call $0
  ${Loop}
  System::Free $0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Ends every Quendal that runs $INSTDIR\quendal.exe through the Restart
; Manager, which also reaches programs of other signed-in users and of other
; sessions where Windows lets it; forced, as Quendal holds nothing that ending
; it could lose. What it leaves, CloseProgram closes by its windows.
; rstrtmgr.dll is named by its full path in the system folder, so that a DLL
; of that name beside the installer (in a Downloads folder) is never loaded.
Function ${un}EndWithRestartManager
  Push $0  ; session handle
  Push $1  ; session key
  Push $2  ; status
  Push $3  ; the file name
  Push $4  ; the list of file names: one pointer to it
  Call ${un}FindProgramPath
  System::Call '$SYSDIR\rstrtmgr.dll::RmStartSession(*i .r0, i 0, w .r1) i .r2'
  ${If} $2 = 0
    System::Call '*(&w${NSIS_MAX_STRLEN} "$ProgramPath") p .r3'
    System::Call '*(p r3) p .r4'
    System::Call '$SYSDIR\rstrtmgr.dll::RmRegisterResources(i r0, i 1, p r4, i 0, p 0, i 0, p 0) i .r2'
    ${If} $2 = 0
      System::Call '$SYSDIR\rstrtmgr.dll::RmShutdown(i r0, i ${RM_FORCE_SHUTDOWN}, p 0) i .r2'
    ${EndIf}
    System::Free $4
    System::Free $3
    System::Call '$SYSDIR\rstrtmgr.dll::RmEndSession(i r0) i .r2'
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Makes sure no Quendal runs from $INSTDIR before anything is changed: asks
; the user (in silent mode, goes ahead), ends it, and aborts if it stays.
Function ${un}CloseProgram
  Push $0
  Push $1
  Call ${un}CountRunning
  Pop $0
  ${If} $0 = 0
    Goto done
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "$(Running)" /SD IDOK IDOK close
  Abort
close:
  Call ${un}EndWithRestartManager
  Call ${un}CountRunning
  Pop $0
  ${If} $0 = 0
    Goto done
  ${EndIf}
  ${Do}
    StrCpy $0 0  ; milliseconds waited
    ${Do}
      ; Again every 2 s, for windows opened in the meantime.
      IntOp $1 $0 % 2000
      ${If} $1 = 0
        Call ${un}CloseWindows
      ${EndIf}
      Sleep 250
      IntOp $0 $0 + 250
      Call ${un}CountRunning
      Pop $1
      ${If} $1 = 0
        Goto done
      ${EndIf}
    ${LoopUntil} $0 >= ${CLOSE_TIMEOUT}
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "$(StillRunning)" /SD IDCANCEL IDRETRY retry
    Abort
retry:
  ${Loop}
done:
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro RUNNING_PROGRAM_FUNCTIONS ""
!insertmacro RUNNING_PROGRAM_FUNCTIONS "un."

Function .onInit
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NeedsAdmin)" /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
  Call ChooseBuild
  ${If} $INSTDIR == ""  ; no /D=
    ${If} $Build == x64
      StrCpy $INSTDIR "$PROGRAMFILES64\${NAME}"
    ${Else}
      ; C:\Program Files on 32-bit Windows, C:\Program Files (x86) on ARM.
      StrCpy $INSTDIR "$PROGRAMFILES32\${NAME}"
    ${EndIf}
  ${EndIf}
  ; Never an older version over a newer one.
  ReadRegStr $0 HKLM "${ENTRY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} $0 "${VERSION}" $1
    ${If} $1 = 1
      MessageBox MB_OK|MB_ICONSTOP "$(NewerInstalled)" /SD IDOK
      SetErrorLevel ${NEWER_INSTALLED}
      Quit
    ${EndIf}
  ${EndIf}
  ; An upgrade stays where the installed version is, whatever /D says: two
  ; copies under one entry could not both be removed.
  StrCpy $Upgrading 0
  ReadRegStr $0 HKLM "${ENTRY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\*.*"
    StrCpy $INSTDIR $0
    StrCpy $Upgrading 1
  ${EndIf}
FunctionEnd

Function SkipFolderOnUpgrade
  ${If} $Upgrading = 1
    Abort
  ${EndIf}
FunctionEnd

Section
  Call CloseProgram
  SetOutPath "$INSTDIR"
  ; The new program goes in beside the old one and replaces it in one step:
  ; if that fails (the old one still running, or either file held open by a
  ; virus scanner), the old one is still in place, and nothing has changed.
  ${If} $Build == x64
    File "/oname=${PROGRAM}.new" "${EXE64}"
  ${Else}
    File "/oname=${PROGRAM}.new" "${EXE32}"
  ${EndIf}
  System::Call 'kernel32::MoveFileExW(w "$INSTDIR\${PROGRAM}.new", w "$INSTDIR\${PROGRAM}", \
    i ${MOVEFILE_REPLACE_EXISTING}|${MOVEFILE_WRITE_THROUGH}) i .r0'
  ${If} $0 = 0
    Delete "$INSTDIR\${PROGRAM}.new"
    RMDir "$INSTDIR"  ; only if this run made it
    MessageBox MB_OK|MB_ICONSTOP "$(CannotReplace)" /SD IDOK
    Abort
  ${EndIf}
  ; From here on nothing is expected to fail; if something does, say so
  ; rather than report success.
  ClearErrors
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateShortCut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 \
    SW_SHOWNORMAL "" "${DESCRIPTION}"

  ; The entry last: it appears only for a complete installation.
  WriteRegStr HKLM "${ENTRY}" "DisplayName" "${NAME}"
  WriteRegStr HKLM "${ENTRY}" "DisplayVersion" "${VERSION}"
  WriteRegDWORD HKLM "${ENTRY}" "VersionMajor" ${PROGRAM_VERSION_1}
  WriteRegDWORD HKLM "${ENTRY}" "VersionMinor" ${PROGRAM_VERSION_2}
  WriteRegStr HKLM "${ENTRY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${ENTRY}" "Comments" "${DESCRIPTION}"
  WriteRegStr HKLM "${ENTRY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKLM "${ENTRY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${ENTRY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${ENTRY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${ENTRY}" "NoModify" 1
  WriteRegDWORD HKLM "${ENTRY}" "NoRepair" 1
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$(Incomplete)" /SD IDOK
    Abort
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${ENTRY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext all
  ; NSIS hands the uninstaller its folder with a trailing backslash.
  StrCpy $0 $INSTDIR "" -1
  ${If} $0 == "\"
    StrCpy $INSTDIR $INSTDIR -1
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NeedsAdmin)" /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  Call un.ChooseBuild  ; the registry view the installer wrote the entry to
FunctionEnd

Section "Uninstall"
  Call un.CloseProgram
  ; The program first: if it cannot go, nothing else has gone either.
  ${If} ${FileExists} "$INSTDIR\${PROGRAM}"
    ClearErrors
    Delete "$INSTDIR\${PROGRAM}"
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "$(CannotRemove)" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  Delete "$INSTDIR\${PROGRAM}.new"  ; left by an installation that was cut off
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${ENTRY}"
  ; This runs from a copy in %TEMP%; the uninstaller that started it may not
  ; have let go of its file yet, so give it a few seconds.
  StrCpy $0 0
  ${Do}
    Delete "$INSTDIR\${UNINSTALLER}"
    ${IfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    ${OrIf} $0 >= 50
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $0 $0 + 1
  ${Loop}
  ; Not /r: the folder may have been chosen by hand and hold other files.
  RMDir "$INSTDIR"
SectionEnd
