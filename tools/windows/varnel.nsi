; The Windows installer: puts Varnel into the user's c:\4nec2\ tree (beside the engines in
; c:\4nec2\exe\), adds a Start-menu entry and an entry in the list of installed programs, and
; removes exactly the files it installed when it is uninstalled.
; makensis -DVERSION=1.5 -DSOURCE=<folder with varnel.exe, Varnel Hilfe.pdf, ReadMe.txt> -DOUTFILE=<setup.exe>
; A 64-bit installer for the 64-bit program (it needs no 32-bit layer of Windows either).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel"

Name "Varnel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "C:\4nec2\Varnel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
; The tree c:\4nec2\ belongs to the user who works in it; nothing here needs more rights.
RequestExecutionLevel user
ShowInstDetails show

!define MUI_FINISHPAGE_RUN "$INSTDIR\varnel.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "English"

Section "Varnel"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${SOURCE}/varnel.exe"
  File "${SOURCE}/Varnel Hilfe.pdf"
  File "${SOURCE}/ReadMe.txt"
  WriteUninstaller "$INSTDIR\Uninstall Varnel.exe"
  CreateDirectory "$SMPROGRAMS\Varnel"
  CreateShortCut "$SMPROGRAMS\Varnel\Varnel.lnk" "$INSTDIR\varnel.exe"
  CreateShortCut "$SMPROGRAMS\Varnel\Varnel Hilfe.lnk" "$INSTDIR\Varnel Hilfe.pdf"
  CreateShortCut "$SMPROGRAMS\Varnel\Uninstall Varnel.lnk" "$INSTDIR\Uninstall Varnel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Varnel ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\varnel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall Varnel.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall Varnel.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there: files the user keeps in the folder stay, and so does the
; folder when it is not empty.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Varnel\Varnel.lnk"
  Delete "$SMPROGRAMS\Varnel\Varnel Hilfe.lnk"
  Delete "$SMPROGRAMS\Varnel\Uninstall Varnel.lnk"
  RMDir "$SMPROGRAMS\Varnel"
  Delete "$INSTDIR\varnel.exe"
  Delete "$INSTDIR\Varnel Hilfe.pdf"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\Uninstall Varnel.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
