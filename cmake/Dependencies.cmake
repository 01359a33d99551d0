# Outside libraries, installed by scripts/setup.sh and never copied into the tree.

# Boost.Format is header-only. Under mingw the whole of /usr/include must not be
# on the search path, so a folder holding only a link to Boost stands in for it.
if(WIN32)
  set(NORVA_BOOST_SHIM ${CMAKE_BINARY_DIR}/boost-shim)
  file(MAKE_DIRECTORY ${NORVA_BOOST_SHIM})
  file(CREATE_LINK /usr/include/boost ${NORVA_BOOST_SHIM}/boost SYMBOLIC)
  add_library(norva_boost INTERFACE)
  target_include_directories(norva_boost SYSTEM INTERFACE ${NORVA_BOOST_SHIM})
else()
  find_package(Boost 1.74 REQUIRED)
  add_library(norva_boost INTERFACE)
  target_link_libraries(norva_boost INTERFACE Boost::headers)
endif()

# jsoncpp, built by the set-up script from Debian's source package as a static
# library (position-independent on Linux) and kept in its cache. A statically linked
# host starts without loading the C++ runtime and jsoncpp's shared library; the
# sanitizer build, and a machine without the cached build, use Debian's shared one.
include(${CMAKE_CURRENT_LIST_DIR}/NorvaCache.cmake)
add_library(norva_jsoncpp INTERFACE)
math(EXPR NORVA_PTR_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
if(WIN32)
  set(NORVA_JSONCPP_PREFIX "${NORVA_CACHE_DIR}/jsoncpp-mingw${NORVA_PTR_BITS}" CACHE PATH "jsoncpp built for mingw")
  if(NOT EXISTS ${NORVA_JSONCPP_PREFIX}/lib/libjsoncpp.a)
    message(FATAL_ERROR "jsoncpp for mingw not found in ${NORVA_JSONCPP_PREFIX}: run scripts/setup.sh")
  endif()
  target_include_directories(norva_jsoncpp SYSTEM INTERFACE ${NORVA_JSONCPP_PREFIX}/include)
  target_link_libraries(norva_jsoncpp INTERFACE ${NORVA_JSONCPP_PREFIX}/lib/libjsoncpp.a)
else()
  set(NORVA_JSONCPP_PREFIX "${NORVA_CACHE_DIR}/jsoncpp-linux" CACHE PATH "jsoncpp built as a static library")
  if(NOT NORVA_SANITIZE AND EXISTS ${NORVA_JSONCPP_PREFIX}/lib/libjsoncpp.a)
    target_include_directories(norva_jsoncpp SYSTEM INTERFACE ${NORVA_JSONCPP_PREFIX}/include)
    target_link_libraries(norva_jsoncpp INTERFACE ${NORVA_JSONCPP_PREFIX}/lib/libjsoncpp.a)
  else()
    find_path(NORVA_JSONCPP_INCLUDE json/json.h PATH_SUFFIXES jsoncpp REQUIRED)
    find_library(NORVA_JSONCPP_LIB jsoncpp REQUIRED)
    target_include_directories(norva_jsoncpp SYSTEM INTERFACE ${NORVA_JSONCPP_INCLUDE})
    target_link_libraries(norva_jsoncpp INTERFACE ${NORVA_JSONCPP_LIB})
  endif()
endif()

# The PKCS#11 header comes from p11-kit; it is reached only through
# component/access/drivers/Pkcs11.h, which sets the packing first.
find_path(NORVA_P11KIT_INCLUDE p11-kit/pkcs11.h PATHS /usr/include/p11-kit-1 NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(NORVA_P11_SHIM ${CMAKE_BINARY_DIR}/p11-shim)
file(MAKE_DIRECTORY ${NORVA_P11_SHIM})
file(CREATE_LINK ${NORVA_P11KIT_INCLUDE}/p11-kit ${NORVA_P11_SHIM}/p11-kit SYMBOLIC)
add_library(norva_pkcs11 INTERFACE)
target_include_directories(norva_pkcs11 SYSTEM INTERFACE ${NORVA_P11_SHIM})

# GoogleTest is built from Debian's source package, so both targets use the same one.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -w)
  endif()
endforeach()

# libgcrypt for the simulated drivers.
add_library(norva_gcrypt INTERFACE)
if(WIN32)
  # The static archives, so the simulator DLLs need no libgcrypt DLL beside them.
  find_library(NORVA_GCRYPT_LIB NAMES libgcrypt.a gcrypt PATHS /usr/${NORVA_MINGW_TRIPLE}/lib REQUIRED)
  find_library(NORVA_GPGERROR_LIB NAMES libgpg-error.a gpg-error PATHS /usr/${NORVA_MINGW_TRIPLE}/lib REQUIRED)
  target_link_libraries(norva_gcrypt INTERFACE ${NORVA_GCRYPT_LIB} ${NORVA_GPGERROR_LIB} ws2_32)
else()
  find_library(NORVA_GCRYPT_LIB gcrypt REQUIRED)
  find_library(NORVA_GPGERROR_LIB gpg-error REQUIRED)
  target_link_libraries(norva_gcrypt INTERFACE ${NORVA_GCRYPT_LIB} ${NORVA_GPGERROR_LIB})
endif()
