; Windows installer: NorvaHost, the component (registered), the host manifests with the
; registry keys Chrome, Chromium, Edge and Firefox read them from, and the extension's
; files. The uninstaller removes all of it.
;
; makensis -DNORVA_ARCH=x86|amd64 -DNORVA_BIN=DIR -DNORVA_MANIFESTS=DIR -DNORVA_EXTENSION=DIR
;          -DNORVA_OUTFILE=FILE NorvaDigitalID.nsi
; The product is 32-bit (x86); the amd64 variant of the same script installs the 64-bit
; build, for machines and tests that run only 64-bit code.

Unicode true
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

Page directory
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

Function .onInit
  !if "${NORVA_ARCH}" == "amd64"
    SetRegView 64
  !endif
FunctionEnd

Function un.onInit
  !if "${NORVA_ARCH}" == "amd64"
    SetRegView 64
  !endif
FunctionEnd

Section "Install"
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
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "1.0.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Norva"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
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
