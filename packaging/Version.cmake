# NORVA_VERSION is the one version number: the packages and the packed extension take it
# from here; the host's "HostVersion" answer, the extension's own manifest and the type
# library are checked against it, so that a change made in one place alone stops the build.
# Also runs as a script from the top of a tree: cmake -DNORVA_VERSION=X.Y.Z -P packaging/Version.cmake
function(norva_check_version file pattern what)
  if(NOT CMAKE_SCRIPT_MODE_FILE)
    set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  endif()
  file(READ ${file} text)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "version check: ${what} not found in ${file}")
  endif()
  set(NORVA_FOUND_VERSION ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

string(REGEX MATCH "^([0-9]+)\\.([0-9]+)" _ ${NORVA_VERSION})
set(norva_major_minor ${CMAKE_MATCH_1}.${CMAKE_MATCH_2})
set(norva_version_sources
  "host/CommandHandlers.cpp|RunHostVersion[^{]*{[^\"]*\"([0-9.]+)\"|the host's \"HostVersion\" answer|${NORVA_VERSION}.0"
  "extension/manifest.json|\"version\": \"([0-9.]+)\"|the extension's \"version\"|${NORVA_VERSION}"
  "component/idl/NorvaDigitalIDIF.idl|version\\(([0-9.]+)\\)|the type library's version|${norva_major_minor}")
foreach(source ${norva_version_sources})
  string(REPLACE "|" ";" fields "${source}")
  list(GET fields 0 file)
  list(GET fields 1 pattern)
  list(GET fields 2 what)
  list(GET fields 3 expected)
  norva_check_version(${CMAKE_SOURCE_DIR}/${file} "${pattern}" "${what}")
  if(NOT NORVA_FOUND_VERSION STREQUAL expected)
    message(FATAL_ERROR "version check: ${what} is ${NORVA_FOUND_VERSION} in ${file}; "
                        "version ${NORVA_VERSION} (packaging/CMakeLists.txt) needs ${expected}")
  endif()
endforeach()
