# norva_add_test(NAME SOURCES ... [LIBS ...])
# One test program, registered with CTest as one test. Under the Windows builds
# CTest runs it through Wine (the cross-compiling emulator) in our own prefix.
if(WIN32)
  set(NORVA_WINEPREFIX "${NORVA_WINEPREFIX_DEFAULT}" CACHE PATH "Wine prefix for the tests")
  # The component is written for Hebrew Windows: under a Hebrew locale Wine's ANSI code
  # page is 1255, as on the target systems and in our own layer on POSIX.
  # scripts/hebrew-locale.sh makes the locale in our cache when the machine lacks it.
  include(${CMAKE_CURRENT_LIST_DIR}/NorvaCache.cmake)
  set(NORVA_LOCPATH "${NORVA_CACHE_DIR}/locale" CACHE PATH "Folder holding he_IL.UTF-8")
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

# norva_add_host_valgrind_test(NAME COMMAND ...)
# A host end-to-end test run once more with every NorvaHost it starts under valgrind
# memcheck (the test honours NORVA_HOST_WRAPPER): any memory error or definite leak makes
# the host exit with 99 and fails the test. Plain Linux builds only, where valgrind is
# installed; sanitized builds have their own checks.
find_program(NORVA_VALGRIND valgrind)
set(NORVA_HOST_VALGRIND
    "${NORVA_VALGRIND} -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite --suppressions=${CMAKE_SOURCE_DIR}/tests/support/valgrind.supp")
function(norva_add_host_valgrind_test name)
  if(WIN32 OR NORVA_SANITIZE)
    return()
  endif()
  if(NOT NORVA_VALGRIND)
    norva_add_missing_tool_test(${name}_valgrind valgrind)
    return()
  endif()
  add_test(NAME ${name}_valgrind ${ARGN} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set_tests_properties(${name}_valgrind PROPERTIES
                       ENVIRONMENT "NORVA_BIN=${CMAKE_BINARY_DIR}/bin;NORVA_HOST_WRAPPER=${NORVA_HOST_VALGRIND}"
                       LABELS valgrind TIMEOUT 900 SKIP_RETURN_CODE 77)
endfunction()

# norva_add_missing_tool_test(NAME TOOL)
# Stands in for a suite whose tool scripts/setup.sh installs but this machine lacks: the
# suite fails and says what is missing, so that the summary never counts it as passed.
function(norva_add_missing_tool_test name tool)
  add_test(NAME ${name} COMMAND sh -c "echo 'FAIL: ${tool} missing (run scripts/setup.sh)'; exit 1")
endfunction()
