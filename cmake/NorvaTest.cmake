# norva_add_test(NAME SOURCES ... [LIBS ...])
# One test program, registered with CTest as one test. Under the Windows builds
# CTest runs it through Wine (the cross-compiling emulator) in our own prefix.
if(WIN32)
  set(NORVA_WINEPREFIX "${NORVA_WINEPREFIX_DEFAULT}" CACHE PATH "Wine prefix for the tests")
  # The component is written for Hebrew Windows: under a Hebrew locale Wine's ANSI code
  # page is 1255, as on the target systems and in our own layer on POSIX.
  # scripts/hebrew-locale.sh makes the locale in our cache when the machine lacks it.
  set(NORVA_LOCPATH "$ENV{HOME}/.cache/norva/locale" CACHE PATH "Folder holding he_IL.UTF-8")
  set(NORVA_TEST_ENV "LOCPATH=${NORVA_LOCPATH}" "WINEPREFIX=${NORVA_WINEPREFIX}" "WINEDEBUG=-all" "WINELOADER=${CMAKE_CROSSCOMPILING_EMULATOR}"
      "WINEDLLOVERRIDES=mscoree,mshtml=" "LC_ALL=he_IL.UTF-8")
else()
  set(NORVA_TEST_ENV "")
endif()

function(norva_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE gtest_main gmock ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "NORVA_BIN=${CMAKE_BINARY_DIR}/bin;${NORVA_TEST_ENV}"
                                          TIMEOUT 600)
endfunction()
