# The packed extension: the build writes the packaged manifest (this build's version, the
# signing key's public half as "key", the allow-list as the content script's "matches"),
# signs a CRX3, zips an xpi and writes the update manifest and policy templates into
# ${NORVA_EXTENSION_PACKAGE}.
#
# A development build signs with the key in this folder. A release build
# (-DNORVA_RELEASE=ON) takes its key from the file named by the environment variable
# NORVA_EXTENSION_KEY_FILE, at configure and build time, and carries only the origins given.
option(NORVA_RELEASE "Release build: signing key from the environment, allow-list as given" OFF)
set(NORVA_DEVELOPMENT_KEY ${CMAKE_CURRENT_LIST_DIR}/development-signing-key.pem)
if(NORVA_RELEASE)
  set(norva_default_origins "")
else()
  # The demo on the loopback address, and pages a web developer serves on localhost.
  set(norva_default_origins "http://127.0.0.1/*;http://localhost/*")
endif()
set(NORVA_EXTENSION_ORIGINS "${norva_default_origins}" CACHE STRING
    "The pages that may use the extension: a ;-list of match patterns (no port)")
set(NORVA_EXTENSION_UPDATE_BASE "https://updates.norva.example/digital-id/" CACHE STRING
    "Where the crx, the xpi and updates.xml are hosted for managed deployment (https)")

if(NORVA_RELEASE)
  if("$ENV{NORVA_EXTENSION_KEY_FILE}" STREQUAL "")
    message(FATAL_ERROR "release build: set NORVA_EXTENSION_KEY_FILE to the extension's signing key")
  endif()
  if(NORVA_EXTENSION_ORIGINS STREQUAL "")
    message(FATAL_ERROR "release build: give the allow-list, -DNORVA_EXTENSION_ORIGINS=https://site/*")
  endif()
  set(NORVA_EXTENSION_KEY $ENV{NORVA_EXTENSION_KEY_FILE})
else()
  set(NORVA_EXTENSION_KEY ${NORVA_DEVELOPMENT_KEY})
endif()

find_program(NORVA_NODE node REQUIRED)
set(norva_packer ${CMAKE_CURRENT_LIST_DIR}/pack-extension.mjs)
function(norva_key_id key result)
  execute_process(COMMAND ${NORVA_NODE} ${norva_packer} id --key ${key}
                  OUTPUT_VARIABLE id OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "extension: cannot read the signing key ${key}")
  endif()
  set(${result} ${id} PARENT_SCOPE)
endfunction()
norva_key_id(${NORVA_DEVELOPMENT_KEY} NORVA_DEVELOPMENT_EXTENSION_ID)
norva_key_id(${NORVA_EXTENSION_KEY} NORVA_EXTENSION_ID)
if(NORVA_RELEASE AND NORVA_EXTENSION_ID STREQUAL NORVA_DEVELOPMENT_EXTENSION_ID)
  message(FATAL_ERROR "release build: NORVA_EXTENSION_KEY_FILE is the development key")
endif()
file(READ ${CMAKE_SOURCE_DIR}/extension/manifest.json norva_source_manifest)
string(JSON NORVA_GECKO_ID GET "${norva_source_manifest}" browser_specific_settings gecko id)
if(TARGET norva-drivers)
  target_compile_definitions(norva-drivers PRIVATE NORVA_EXTENSION_ID="${NORVA_EXTENSION_ID}"
                                                   NORVA_GECKO_ID="${NORVA_GECKO_ID}")
endif()
message(STATUS "extension: ID ${NORVA_EXTENSION_ID}, origins ${NORVA_EXTENSION_ORIGINS}")

set(NORVA_EXTENSION_PACKAGE ${CMAKE_BINARY_DIR}/extension-package)
file(GLOB_RECURSE norva_extension_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/extension/*)
set(norva_extension_outputs
  ${NORVA_EXTENSION_PACKAGE}/extension/manifest.json ${NORVA_EXTENSION_PACKAGE}/norva-digital-id.crx
  ${NORVA_EXTENSION_PACKAGE}/norva-digital-id.xpi ${NORVA_EXTENSION_PACKAGE}/updates.xml
  ${NORVA_EXTENSION_PACKAGE}/policies/chromium-policy.json
  ${NORVA_EXTENSION_PACKAGE}/policies/firefox-policies.json)
string(REPLACE ";" "," norva_origins_argument "${NORVA_EXTENSION_ORIGINS}")
add_custom_command(
  OUTPUT ${norva_extension_outputs}
  COMMAND ${NORVA_NODE} ${norva_packer} pack --source ${CMAKE_SOURCE_DIR}/extension
          --key ${NORVA_EXTENSION_KEY} --version ${NORVA_VERSION}
          --origins ${norva_origins_argument} --update-base ${NORVA_EXTENSION_UPDATE_BASE}
          --out ${NORVA_EXTENSION_PACKAGE}
  DEPENDS ${norva_packer} ${CMAKE_CURRENT_LIST_DIR}/packing.mjs ${norva_extension_sources}
          ${NORVA_EXTENSION_KEY}
  COMMENT "Packing the extension (${NORVA_EXTENSION_ID})"
  VERBATIM)
add_custom_target(extension_package ALL DEPENDS ${norva_extension_outputs})
