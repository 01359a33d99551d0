# The Windows installer, built with makensis from the files of this build: the x86
# variant from the 32-bit build (the product), the amd64 variant from the 64-bit one.
norva_fill_manifests(NorvaHost.exe)
find_program(NORVA_MAKENSIS makensis)
if(NOT NORVA_MAKENSIS)
  message(STATUS "installer: makensis not found (run scripts/setup.sh)")
  return()
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(arch amd64)
else()
  set(arch x86)
endif()
set(NORVA_INSTALLER ${CMAKE_BINARY_DIR}/NorvaDigitalID-${NORVA_VERSION}-${arch}-setup.exe)
set(script ${CMAKE_CURRENT_SOURCE_DIR}/windows/NorvaDigitalID.nsi)
add_custom_command(
  OUTPUT ${NORVA_INSTALLER}
  COMMAND ${NORVA_MAKENSIS} -V2 -DNORVA_ARCH=${arch} -DNORVA_BIN=${CMAKE_BINARY_DIR}/bin
          -DNORVA_MANIFESTS=${manifests} -DNORVA_EXTENSION=${NORVA_EXTENSION_PACKAGE}/extension
          -DNORVA_VERSION=${NORVA_VERSION} -DNORVA_EXTENSION_ID=${NORVA_EXTENSION_ID}
          -DNORVA_OUTFILE=${NORVA_INSTALLER} ${script}
  DEPENDS ${script} NorvaHost NorvaDigitalIDIF ${norva_extension_outputs}
          ${manifests}/${NORVA_HOST_NAME}.chromium.json ${manifests}/${NORVA_HOST_NAME}.firefox.json
  COMMENT "Building the ${arch} installer"
  VERBATIM)
add_custom_target(installer ALL DEPENDS ${NORVA_INSTALLER})
set(NORVA_INSTALLER ${NORVA_INSTALLER} PARENT_SCOPE)

add_test(NAME package_installer
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/packaging/nsis_test.sh ${NORVA_INSTALLER}
                 ${CMAKE_CROSSCOMPILING_EMULATOR} ${NORVA_WINEPREFIX} ${NORVA_EXTENSION_ID})
set_tests_properties(package_installer PROPERTIES TIMEOUT 300)
