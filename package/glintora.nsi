; The Windows installer of glintora, made on the build machine with makensis:
;
;   makensis -WX -DVERSION=1.2.3 -DPUBLISHER=... -DCOMPANY_KEY=Software\... -DSCR=glintora.scr
;            -DICON=glintora.ico -DOUTFILE=glintora-1.2.3-setup.exe glintora.nsi
;
; For the current user (no administrator rights) the saver goes into the user's programs
; folder; for everyone (administrators, on the mode page or with /ALLUSERS) into the system
; folder, where the system's screen-saver list finds it. Either way it becomes the installing
; user's screen saver, the saver chosen before is remembered in the uninstall key and given
; back by the uninstaller, and the user's settings are kept unless the user asks otherwise
; (/REMOVESETTINGS when silent).

!macro Required NAME
  !ifndef ${NAME}
    !error "${NAME} must be defined on the command line (-D${NAME}=...)"
  !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required PUBLISHER
!insertmacro Required COMPANY_KEY
!insertmacro Required SCR
!insertmacro Required ICON
!insertmacro Required OUTFILE

Unicode true
; A 64-bit installer for a 64-bit program: its $SYSDIR is the real system folder.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
; Administrators are asked to elevate (everyone's install needs it); other users install for
; themselves without being asked.
RequestExecutionLevel highest

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define PRODUCT "glintora"
!define SETTINGS_KEY "${COMPANY_KEY}\${PRODUCT}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_LINK "${PRODUCT} Settings.lnk"
!define UNINSTALL_LINK "Uninstall ${PRODUCT}.lnk"
; SystemParametersInfo: SPI_SETSCREENSAVEACTIVE, told to every window (SPIF_SENDCHANGE).
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SENDCHANGE 2
; What a refused install for everyone answers: ERROR_ELEVATION_REQUIRED.
!define EXIT_NEEDS_ADMIN 740

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var IsAdmin    ; 1 when the process has administrator rights
Var AllUsers   ; 1: installed (or to be installed) for everyone
Var ScrPath    ; where the saver lies once installed
Var RadioMe
Var RemoveSettings ; 1: the uninstaller removes the user's settings too
Var RadioAll

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$ScrPath"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/c"
!define MUI_FINISHPAGE_RUN_TEXT "Open the ${PRODUCT} settings"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------------------------
; Shared by the installer and the uninstaller

; The folders of a mode ($AllUsers): the shell's context (start menu, SHCTX registry root),
; $INSTDIR for the uninstaller, and the saver's place.
!macro UseModeFolders
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    StrCpy $ScrPath "$SYSDIR\${PRODUCT}.scr"
  ${Else}
    SetShellVarContext current
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    StrCpy $ScrPath "$INSTDIR\${PRODUCT}.scr"
  ${EndIf}
!macroend

!macro CheckAdmin
  StrCpy $IsAdmin 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${EndIf}
!macroend

; ---------------------------------------------------------------------------------------------
; Installer

Function .onInit
  !insertmacro CheckAdmin
  ; An earlier install for everyone is upgraded for everyone, unless the command line says.
  StrCpy $AllUsers 0
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $1 == ""
  ${AndIf} $IsAdmin == 1
    StrCpy $AllUsers 1
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CURRENTUSER" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  ${If} $AllUsers == 1
  ${AndIf} $IsAdmin != 1
    MessageBox MB_ICONSTOP "Installing ${PRODUCT} for everyone needs administrator rights.$\r$\nRun the setup as an administrator, or install it just for yourself." /SD IDOK
    SetErrorLevel ${EXIT_NEEDS_ADMIN}
    Quit
  ${EndIf}
  !insertmacro UseModeFolders
FunctionEnd

Function ModePage
  !insertmacro MUI_HEADER_TEXT "Who will use ${PRODUCT}?" "Install it for yourself, or for everyone who uses this computer."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateRadioButton} 0 10u 100% 12u "Just for &me"
  Pop $RadioMe
  ${NSD_CreateLabel} 12u 24u -12u 24u "Into your own programs folder. No administrator rights are needed."
  Pop $0
  ${NSD_CreateRadioButton} 0 56u 100% 12u "For &everyone who uses this computer"
  Pop $RadioAll
  ${NSD_CreateLabel} 12u 70u -12u 24u "Into the system folder, so that every user finds it in the screen-saver list. Needs administrator rights."
  Pop $0
  ${NSD_CreateLabel} 0 106u 100% 24u "Either way ${PRODUCT} becomes your screen saver; the one you have now comes back if you uninstall it."
  Pop $0
  ${If} $IsAdmin != 1
    EnableWindow $RadioAll 0
  ${EndIf}
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioMe
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  !insertmacro UseModeFolders
FunctionEnd

; Puts the new saver at $ScrPath, also while the old one runs there: a running program cannot
; be overwritten or deleted, but it can be renamed out of the way, so the next start of the
; saver is already the new one; the old file goes at the next restart. Where not even that is
; allowed, the new file takes the old one's place at the next restart.
Function PlaceSaver
  SetOverwrite on
  File "/oname=$ScrPath.new" "${SCR}"
  ClearErrors
  Delete "$ScrPath"
  ${If} ${Errors}
    DetailPrint "$ScrPath is in use: moving it aside."
    ClearErrors
    Delete "$ScrPath.old"
    Rename "$ScrPath" "$ScrPath.old"
    ${IfNot} ${Errors}
      Delete /REBOOTOK "$ScrPath.old"
    ${EndIf}
  ${EndIf}
  ClearErrors
  Rename "$ScrPath.new" "$ScrPath"
  ${If} ${Errors}
    DetailPrint "$ScrPath is replaced at the next restart."
    Rename /REBOOTOK "$ScrPath.new" "$ScrPath"
  ${EndIf}
FunctionEnd

; The size in bytes of the file $0, into $1 (0 when unreadable).
Function FileSize
  StrCpy $1 0
  ClearErrors
  FileOpen $2 $0 r
  ${IfNot} ${Errors}
    FileSeek $2 0 END $1
    FileClose $2
  ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  !insertmacro UseModeFolders
  DetailPrint "Installing for $\"$ScrPath$\"."

  ; The user's saver before this one, unless it is already a glintora (an upgrade): the
  ; uninstaller gives it back.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${GetFileName} $0 $1
  ${If} $1 != "${PRODUCT}.scr"
    ReadRegStr $2 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaver" $0
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaveActive" $2
  ${EndIf}

  CreateDirectory "$INSTDIR"
  Call PlaceSaver
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${SETTINGS_LINK}" "$ScrPath" "/c" "$ScrPath" 0
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${UNINSTALL_LINK}" "$INSTDIR\uninstall.exe"

  ; The saver becomes the user's, as the system's own "Install" makes it: the path in its
  ; short form (the system starts it without quotes), the timeout left as the user set it.
  GetFullPathName /SHORT $0 "$ScrPath"
  ${If} $0 == ""
    StrCpy $0 "$ScrPath"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SENDCHANGE})'

  ; The entry of the system's list of installed programs.
  StrCpy $0 "$ScrPath"
  Call FileSize
  StrCpy $3 $1
  StrCpy $0 "$INSTDIR\uninstall.exe"
  Call FileSize
  IntOp $3 $3 + $1
  IntOp $3 $3 / 1024
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$ScrPath,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "ScreenSaverPath" "$ScrPath"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; ---------------------------------------------------------------------------------------------
; Uninstaller

Function un.onInit
  !insertmacro CheckAdmin
  ; Which install this uninstaller belongs to: the entry whose folder it runs from.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $AllUsers 0
  ${If} $0 != "$INSTDIR"
  ${AndIf} $1 == "$INSTDIR"
    StrCpy $AllUsers 1
  ${EndIf}
  ${If} $AllUsers == 1
  ${AndIf} $IsAdmin != 1
    MessageBox MB_ICONSTOP "${PRODUCT} was installed for everyone: only an administrator can remove it." /SD IDOK
    SetErrorLevel ${EXIT_NEEDS_ADMIN}
    Quit
  ${EndIf}
  StrCpy $R9 "$INSTDIR"
  !insertmacro UseModeFolders
  StrCpy $INSTDIR $R9
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "ScreenSaverPath"
  ${If} $0 != ""
    StrCpy $ScrPath $0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The settings go only when the user says so; asked first, before anything is removed.
  StrCpy $RemoveSettings 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${Else}
    MessageBox MB_YESNO|MB_ICONQUESTION "Also remove your ${PRODUCT} settings (the picture folder, the timings, the transitions)?" /SD IDNO IDNO +2
    StrCpy $RemoveSettings 1
  ${EndIf}

  ; The saver the user had before, when this glintora is still the chosen one.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$ScrPath"
  ${If} $0 != ""
  ${AndIf} $0 == $1
  ${OrIf} $0 == "$ScrPath"
    ReadRegStr $2 SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ReadRegStr $3 SHCTX "${UNINSTALL_KEY}" "PreviousScreenSaveActive"
    ${If} $2 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $2
    ${EndIf}
    ${If} $3 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
      StrCpy $3 0
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $3
    ${EndIf}
    IntOp $3 $3 + 0
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i r3, p 0, i ${SPIF_SENDCHANGE})'
    DetailPrint "The screen saver chosen before is back: $\"$2$\"."
  ${EndIf}

  Delete /REBOOTOK "$ScrPath"
  Delete /REBOOTOK "$ScrPath.old"
  Delete "$ScrPath.new"
  Delete "$SMPROGRAMS\${PRODUCT}\${SETTINGS_LINK}"
  Delete "$SMPROGRAMS\${PRODUCT}\${UNINSTALL_LINK}"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  ${If} $RemoveSettings == 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${COMPANY_KEY}"
    DetailPrint "The settings are removed."
  ${EndIf}

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
