# norva_add_test(NAME SOURCES ... [LIBS ...])
# One test program, registered with CTest as one test. Under the Windows build
# CTest runs it through Wine (the cross-compiling emulator) in our own prefix.
set(NORVA_WINEPREFIX "$ENV{HOME}/.cache/norva/wineprefix" CACHE PATH "Wine prefix for the tests")

function(norva_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE gtest_main gmock ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set(env "NORVA_BIN=${CMAKE_BINARY_DIR}/bin")
  if(WIN32)
    list(APPEND env "WINEPREFIX=${NORVA_WINEPREFIX}" "WINEDEBUG=-all" "WINEDLLOVERRIDES=mscoree,mshtml=")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()
