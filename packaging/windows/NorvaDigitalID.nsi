; Windows installer: NorvaHost, the component (registered), the host manifests with the
; registry keys Chrome, Chromium, Edge and Firefox read them from, and the extension's
; files. The uninstaller removes all of it.
;
; makensis -DNORVA_ARCH=x86|amd64 -DNORVA_BIN=DIR -DNORVA_MANIFESTS=DIR -DNORVA_EXTENSION=DIR
;          -DNORVA_VERSION=X.Y.Z -DNORVA_EXTENSION_ID=ID -DNORVA_OUTFILE=FILE NorvaDigitalID.nsi
;
; Managed deployment: "setup.exe /S /UPDATEURL=https://host/path/updates.xml" (or the
; optional section, with the URL typed on its page) adds the extension to Chrome's and
; Edge's ExtensionInstallForcelist policy under HKLM\Software\Policies; the uninstaller
; takes it out again and leaves the other entries of the list as they were.
; The product is 32-bit (x86); the amd64 variant of the same script installs the 64-bit
; build, for machines and tests that run only 64-bit code.

Unicode true
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include x64.nsh
!include nsDialogs.nsh
!if "${NORVA_ARCH}" == "amd64"
  Target amd64-unicode
  !define NORVA_PROGRAM_FILES "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define NORVA_PROGRAM_FILES "$PROGRAMFILES32"
!endif

!define PRODUCT "Norva Digital ID"
!define HOST_NAME "com.norva.digitalid"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\NorvaDigitalID"

Name "${PRODUCT}"
OutFile "${NORVA_OUTFILE}"
InstallDir "${NORVA_PROGRAM_FILES}\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

Page components
Page directory
Page custom UpdateUrlPage UpdateUrlPageLeave
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The registry keys each browser reads its host manifests from, under HKEY_LOCAL_MACHINE.
!macro ForEachBrowserKey MACRO
  !insertmacro ${MACRO} "Software\Google\Chrome\NativeMessagingHosts\${HOST_NAME}" "${HOST_NAME}.chromium.json"
  !insertmacro ${MACRO} "Software\Chromium\NativeMessagingHosts\${HOST_NAME}" "${HOST_NAME}.chromium.json"
  !insertmacro ${MACRO} "Software\Microsoft\Edge\NativeMessagingHosts\${HOST_NAME}" "${HOST_NAME}.chromium.json"
  !insertmacro ${MACRO} "Software\Mozilla\NativeMessagingHosts\${HOST_NAME}" "${HOST_NAME}.firefox.json"
!macroend
!macro WriteBrowserKey KEY MANIFEST
  WriteRegStr HKLM "${KEY}" "" "$INSTDIR\${MANIFEST}"
!macroend
!macro DeleteBrowserKey KEY MANIFEST
  DeleteRegKey HKLM "${KEY}"
!macroend

; Chrome's and Edge's force-install lists: the values "1", "2", ... of these keys, each
; "<extension ID>;<update URL>". Entries are added at the end and the list is kept
; without gaps, so that every browser version reads all of it.
!define POLICY_ENTRY "${NORVA_EXTENSION_ID};"
!macro ForEachPolicyList MACRO
  !insertmacro ${MACRO} "Software\Policies\Google\Chrome\ExtensionInstallForcelist"
  !insertmacro ${MACRO} "Software\Policies\Microsoft\Edge\ExtensionInstallForcelist"
!macroend

Var UpdateUrl
Var UpdateUrlField

; Adds "ID;URL" to a force-install list: in place of this extension's entry if the list
; has one, else in the first free place.
!macro AddPolicyEntry KEY
  StrCpy $1 1
  ${Do}
    ReadRegStr $2 HKLM "${KEY}" $1
    StrCpy $3 $2 33
    ${If} $2 == ""
    ${OrIf} $3 == "${POLICY_ENTRY}"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  WriteRegStr HKLM "${KEY}" $1 "${POLICY_ENTRY}$UpdateUrl"
!macroend

; Takes this extension's entry out of a force-install list and moves the entries after it
; up, so that the list has no gap; an empty list's key goes.
!macro RemovePolicyEntry KEY
  StrCpy $1 1
  StrCpy $4 0
  ${Do}
    ReadRegStr $2 HKLM "${KEY}" $1
    ${If} $2 == ""
      ${Break}
    ${EndIf}
    StrCpy $3 $2 33
    ${If} $3 == "${POLICY_ENTRY}"
      IntOp $4 $4 + 1
    ${ElseIf} $4 > 0
      IntOp $5 $1 - $4
      WriteRegStr HKLM "${KEY}" $5 $2
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  ${DoWhile} $4 > 0
    IntOp $1 $1 - 1
    DeleteRegValue HKLM "${KEY}" $1
    IntOp $4 $4 - 1
  ${Loop}
  DeleteRegKey /ifempty HKLM "${KEY}"
!macroend

Function un.onInit
  !if "${NORVA_ARCH}" == "amd64"
    SetRegView 64
  !endif
FunctionEnd

Section "Norva Digital ID" SectionMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${NORVA_BIN}\NorvaHost.exe"
  File "${NORVA_BIN}\NorvaDigitalIDIF.dll"
  ; The manifests name the host by a path relative to themselves: NorvaHost.exe beside them.
  File "${NORVA_MANIFESTS}\${HOST_NAME}.chromium.json"
  File "${NORVA_MANIFESTS}\${HOST_NAME}.firefox.json"
  SetOutPath "$INSTDIR\extension"
  File "${NORVA_EXTENSION}\manifest.json"
  File "${NORVA_EXTENSION}\background.js"
  File "${NORVA_EXTENSION}\content.js"
  SetOutPath "$INSTDIR\extension\lib"
  File "${NORVA_EXTENSION}\lib\norva.js"
  File "${NORVA_EXTENSION}\lib\norva.d.ts"
  File "${NORVA_EXTENSION}\lib\enumerations.js"
  SetOutPath "$INSTDIR"

  ClearErrors
  RegDLL "$INSTDIR\NorvaDigitalIDIF.dll"
  IfErrors 0 +3
    DetailPrint "The component could not be registered."
    SetErrorLevel 5

  !insertmacro ForEachBrowserKey WriteBrowserKey

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${NORVA_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Norva"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Off the store, Chrome and Edge on Windows install an extension only through policy.
Section /o "Install the extension in Chrome and Edge by policy (managed machines)" SectionPolicy
  ; The policy keys are read from the 64-bit registry on 64-bit Windows.
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  !insertmacro ForEachPolicyList AddPolicyEntry
  DetailPrint "Chrome and Edge policy: ${POLICY_ENTRY}$UpdateUrl"
  !if "${NORVA_ARCH}" != "amd64"
    SetRegView 32
  !endif
SectionEnd

; /UPDATEURL=VALUE from the command line, up to the next blank, or in double quotes.
; (GetOptions would end the value at its first "/".)
Function ReadUpdateUrl
  ${GetParameters} $0
  StrLen $1 $0
  StrCpy $2 0
  ${Do}
    ${If} $2 >= $1
      Return
    ${EndIf}
    StrCpy $3 $0 11 $2
    ${If} $3 == "/UPDATEURL="
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  IntOp $2 $2 + 11
  StrCpy $0 $0 "" $2
  StrCpy $4 " "
  StrCpy $3 $0 1
  ${If} $3 == '"'
    StrCpy $0 $0 "" 1
    StrCpy $4 '"'
  ${EndIf}
  StrCpy $2 0
  StrLen $1 $0
  ${Do}
    StrCpy $3 $0 1 $2
    ${If} $2 >= $1
    ${OrIf} $3 == $4
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $UpdateUrl $0 $2
FunctionEnd

Function .onInit
  !if "${NORVA_ARCH}" == "amd64"
    SetRegView 64
  !endif
  Call ReadUpdateUrl
  ${If} $UpdateUrl != ""
    !insertmacro SelectSection ${SectionPolicy}
  ${EndIf}
FunctionEnd

Function UpdateUrlPage
  ${IfNot} ${SectionIsSelected} ${SectionPolicy}
    Abort
  ${EndIf}
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "The update manifest (updates.xml) your organisation hosts the extension at, an https address:"
  Pop $0
  ${NSD_CreateText} 0 28u 100% 12u "$UpdateUrl"
  Pop $UpdateUrlField
  nsDialogs::Show
FunctionEnd

Function UpdateUrlPageLeave
  ${NSD_GetText} $UpdateUrlField $UpdateUrl
  ${If} $UpdateUrl == ""
    MessageBox MB_OK "Give the update manifest's address, or go back and clear the policy section."
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  !insertmacro ForEachPolicyList RemovePolicyEntry
  DeleteRegKey /ifempty HKLM "Software\Policies\Google\Chrome"
  DeleteRegKey /ifempty HKLM "Software\Policies\Google"
  DeleteRegKey /ifempty HKLM "Software\Policies\Microsoft\Edge"
  !if "${NORVA_ARCH}" != "amd64"
    SetRegView 32
  !endif
  !insertmacro ForEachBrowserKey DeleteBrowserKey
  ; The browsers' own keys stay where the browser or other hosts still use them.
  DeleteRegKey /ifempty HKLM "Software\Google\Chrome\NativeMessagingHosts"
  DeleteRegKey /ifempty HKLM "Software\Google\Chrome"
  DeleteRegKey /ifempty HKLM "Software\Google"
  DeleteRegKey /ifempty HKLM "Software\Chromium\NativeMessagingHosts"
  DeleteRegKey /ifempty HKLM "Software\Chromium"
  DeleteRegKey /ifempty HKLM "Software\Microsoft\Edge\NativeMessagingHosts"
  DeleteRegKey /ifempty HKLM "Software\Microsoft\Edge"
  DeleteRegKey /ifempty HKLM "Software\Mozilla\NativeMessagingHosts"
  DeleteRegKey /ifempty HKLM "Software\Mozilla"
  UnRegDLL "$INSTDIR\NorvaDigitalIDIF.dll"
  Delete "$INSTDIR\NorvaHost.exe"
  Delete "$INSTDIR\NorvaDigitalIDIF.dll"
  Delete "$INSTDIR\${HOST_NAME}.chromium.json"
  Delete "$INSTDIR\${HOST_NAME}.firefox.json"
  Delete "$INSTDIR\extension\lib\norva.js"
  Delete "$INSTDIR\extension\lib\norva.d.ts"
  Delete "$INSTDIR\extension\lib\enumerations.js"
  RMDir "$INSTDIR\extension\lib"
  Delete "$INSTDIR\extension\manifest.json"
  Delete "$INSTDIR\extension\background.js"
  Delete "$INSTDIR\extension\content.js"
  RMDir "$INSTDIR\extension"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
