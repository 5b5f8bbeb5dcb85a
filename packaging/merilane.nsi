; Per-user setup of Merilane: no administrator rights, installs under the user's local
; application data, registers an uninstaller with the user's installed programs.
;
; tools/package.sh passes everything that differs between builds:
;   VERSION  the version of the build (CMake's project version, as in the version resource)
;   TARGET   amd64-unicode or x86-unicode: the setup runs as the same kind of process as the
;            program it installs
;   EXE, README, LICENSE, ICON   files to take in;   OUTFILE   the setup to write

!ifndef VERSION | TARGET | EXE | README | LICENSE | ICON | OUTFILE
  !error "Run through tools/package.sh, which defines VERSION, TARGET, EXE, README, LICENSE, ICON and OUTFILE"
!endif

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Merilane"
!define PUBLISHER "The Merilane developers"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Merilane"
; Where "Start with Windows" puts its value, named after the product.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Not a standard value: the highest folder this setup had to create for $INSTDIR, so that the
; uninstaller can take away what was made for it and nothing that was already there.
!define CREATED_VALUE "MerilaneCreatedFolder"

; The version resource wants four numbers; the program's own resource puts the patch last.
!searchparse /noerrors "${VERSION}" "" V_MAJOR "." V_MINOR "." V_PATCH
!ifndef V_PATCH
  !error "VERSION must be MAJOR.MINOR.PATCH, not ${VERSION}"
!endif

Name "${PRODUCT} ${VERSION}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"

VIProductVersion "${V_MAJOR}.${V_MINOR}.0.${V_PATCH}"
VIFileVersion "${V_MAJOR}.${V_MINOR}.0.${V_PATCH}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}, MIT licence"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\merilane.exe"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Merilane" SecMain
  SectionIn RO

  ; A running merilane.exe cannot be replaced; finding out now leaves the old copy whole
  ; instead of a mix of two versions.
  ${If} ${FileExists} "$INSTDIR\merilane.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\merilane.exe" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Merilane is running. Close it, then run the setup again." /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}

  ; The highest folder on the way to $INSTDIR that is not there yet. An earlier install into
  ; the same place already recorded what it made.
  ReadRegStr $1 HKCU "${UNINST_KEY}" "${CREATED_VALUE}"
  StrCpy $2 "$INSTDIR"
  ${DoWhile} $2 != ""
    ${If} ${FileExists} "$2\*.*"
      ${Break}
    ${EndIf}
    StrCpy $1 "$2"
    ${GetParent} "$2" $2
  ${Loop}

  SetOutPath "$INSTDIR"
  File "/oname=merilane.exe" "${EXE}"
  File "/oname=README.txt" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\merilane.exe" "" "$INSTDIR\merilane.exe" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\merilane.exe,0"
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $3 $4 $5
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $3
  ${If} $1 != ""
    WriteRegStr HKCU "${UNINST_KEY}" "${CREATED_VALUE}" "$1"
  ${EndIf}
SectionEnd

Section "Uninstall"
  ; The program goes first: while it runs it cannot be deleted, and then nothing else should
  ; go either, or the user would be left with a copy that has no uninstaller.
  ${If} ${FileExists} "$INSTDIR\merilane.exe"
    ClearErrors
    Delete "$INSTDIR\merilane.exe"
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Merilane is running. Close it, then uninstall again." /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}

  ReadRegStr $1 HKCU "${UNINST_KEY}" "${CREATED_VALUE}"
  ; "Start with Windows" of this copy; another copy's (a portable one) is left alone.
  ReadRegStr $3 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $3 == '"$INSTDIR\merilane.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"

  ; Only named files were deleted above and folders go only when empty: whatever the user put
  ; into the folder stays, and so does every folder that was there before the install. The
  ; shortcut and the key went first, so that once $INSTDIR is gone they are gone too.
  RMDir "$INSTDIR"
  ${If} $1 != ""
    StrLen $3 "$1"
    StrCpy $2 "$INSTDIR"
    ${Do}
      ${If} $2 == $1
        ${Break}
      ${EndIf}
      ${GetParent} "$2" $2
      StrCpy $4 "$2" $3
      ${If} $4 != $1
        ${Break}
      ${EndIf}
      RMDir "$2"
    ${Loop}
  ${EndIf}
SectionEnd
