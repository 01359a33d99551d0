# cmake -DIDL=<idl> -DERRORS_HEADER=<.h> -DMEMBERS_HEADER=<.h> -DPKCS11_HEADER=<pkcs11.h>
#       -DJS=<enumerations.js> -DSTAMP=<file> -P PublishedLists.cmake
#
# The interface definition is the one source of what the component publishes: its two
# result enumerations and its members with their dispatch identifiers. This script reads
# them from it and
#   - writes ERRORS_HEADER (component/base/ZentorErrors.h: both enumerations) and
#     MEMBERS_HEADER (component/ZentorMembers.h: the member list) for the C++ code;
#   - stops with an error when the page library's enumerations (JS) name another value,
#     or when a published PKCS#11 result differs from the standard's value (PKCS11_HEADER).
# The build runs it whenever one of these files changes.

cmake_minimum_required(VERSION 3.25)

foreach(var IDL ERRORS_HEADER MEMBERS_HEADER PKCS11_HEADER JS STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "PublishedLists.cmake: ${var} is not set")
  endif()
endforeach()

set(errors "")
macro(norva_mismatch text)
  string(APPEND errors "  ${text}\n")
endmacro()

file(READ ${IDL} idl)

# norva_idl_body(<pattern> <what> <out-var>): the first group of <pattern> in the interface
# definition, which must have it.
function(norva_idl_body pattern what out_var)
  string(REGEX MATCH "${pattern}" found "${idl}")
  if(NOT found)
    message(FATAL_ERROR "${IDL}: no ${what}")
  endif()
  set(${out_var} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

# norva_idl_enumeration(<name> <out-var>): "Name=value" per enumerator, in order,
# the value as written.
function(norva_idl_enumeration name out_var)
  norva_idl_body("typedef[ \t\r\n]+enum[ \t\r\n]+${name}[ \t\r\n]*{([^}]*)}" "enumeration ${name}" body)
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*[ \t]*=[ \t]*(0x[0-9A-Fa-f]+|[0-9]+)" entries "${body}")
  set(result "")
  foreach(entry ${entries})
    string(REGEX REPLACE "[ \t]" "" entry "${entry}")
    list(APPEND result "${entry}")
  endforeach()
  set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

norva_idl_enumeration(TZentorError codes)
norva_idl_enumeration(TPKCS11Error results)

# The members: each "[attributes] HRESULT Name(" of the interface, a property once with
# its get and put merged.
norva_idl_body("interface[ \t\r\n]+IZentor[ \t\r\n]*:[^{]*{(.*)}" "interface IZentor" interface)
string(REGEX MATCHALL "\\[[^\\[]*\\][ \t\r\n]*HRESULT[ \t]+[A-Za-z0-9_]+" declarations
       "${interface}")
set(members "")
foreach(declaration ${declarations})
  string(REGEX MATCH "HRESULT[ \t]+([A-Za-z0-9_]+)$" ignored "${declaration}")
  set(name ${CMAKE_MATCH_1})
  if(NOT declaration MATCHES "[[ ,]id\\(([0-9]+)\\)")
    message(FATAL_ERROR "${IDL}: ${name} has no id()")
  endif()
  set(id ${CMAKE_MATCH_1})
  if(NOT name IN_LIST members)
    list(APPEND members ${name})
    set(id_${name} ${id})
    set(get_${name} OFF)
    set(put_${name} OFF)
    set(method_${name} OFF)
  elseif(NOT id_${name} EQUAL id)
    norva_mismatch("${name} is declared with identifiers ${id_${name}} and ${id}")
  endif()
  if(declaration MATCHES "propget")
    set(get_${name} ON)
  elseif(declaration MATCHES "propput")
    set(put_${name} ON)
  else()
    set(method_${name} ON)
  endif()
endforeach()
if(NOT members)
  message(FATAL_ERROR "${IDL}: IZentor declares no members")
endif()

set(used_ids "")
set(member_rows "")
foreach(name ${members})
  if(id_${name} IN_LIST used_ids)
    norva_mismatch("identifier ${id_${name}} is given to more than one member (${name})")
  endif()
  list(APPEND used_ids ${id_${name}})
  if(method_${name} AND NOT get_${name} AND NOT put_${name})
    set(kind Method)
  elseif(get_${name} AND put_${name} AND NOT method_${name})
    set(kind ReadWrite)
  elseif(get_${name} AND NOT method_${name})
    set(kind ReadOnly)
  else()
    norva_mismatch("${name} is neither a method, nor a property with a get")
    set(kind Method)
  endif()
  string(APPEND member_rows "    X(${name}, ${id_${name}}, ${kind}) \\\n")
endforeach()
list(LENGTH members member_count)

# "Name=value" with the value in decimal, for comparing.
function(norva_decimal entries out_var)
  set(result "")
  foreach(entry ${entries})
    string(REGEX MATCH "^([A-Za-z0-9_]+)=(.*)$" ignored "${entry}")
    math(EXPR value "${CMAKE_MATCH_2}")
    list(APPEND result "${CMAKE_MATCH_1}=${value}")
  endforeach()
  set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

# The page library's enumerations: `value: "Name",` in an Object.freeze({...}).
file(READ ${JS} js)
function(norva_js_enumeration text name out_var)
  string(REGEX MATCH "const[ \t]+${name}[ \t]*=[ \t]*Object\\.freeze\\({([^}]*)}" found "${text}")
  if(NOT found)
    set(${out_var} "<missing>" PARENT_SCOPE)
    return()
  endif()
  string(REGEX MATCHALL "(0x[0-9A-Fa-f]+|[0-9]+)[ \t]*:[ \t]*\"[A-Za-z0-9_]+\"" entries
         "${CMAKE_MATCH_1}")
  set(result "")
  foreach(entry ${entries})
    string(REGEX MATCH "^([0-9A-Fa-fx]+)[ \t]*:[ \t]*\"([A-Za-z0-9_]+)\"" ignored "${entry}")
    list(APPEND result "${CMAKE_MATCH_2}=${CMAKE_MATCH_1}")
  endforeach()
  norva_decimal("${result}" result)
  set(${out_var} "${result}" PARENT_SCOPE)
endfunction()

foreach(enumeration TZentorError:codes TPKCS11Error:results)
  string(REPLACE ":" ";" pair ${enumeration})
  list(GET pair 0 name)
  list(GET pair 1 var)
  norva_decimal("${${var}}" published)
  # A name or a value given twice would make replies ambiguous.
  set(seen "")
  foreach(entry ${published})
    string(REPLACE "=" ";" parts "${entry}")
    foreach(part ${parts})
      if(part IN_LIST seen)
        norva_mismatch("${IDL}: ${name} gives ${part} twice")
      endif()
      list(APPEND seen "${part}")
    endforeach()
  endforeach()
  norva_js_enumeration("${js}" ${name} named)
  foreach(entry ${published})
    if(NOT entry IN_LIST named)
      norva_mismatch("${JS}: ${name} lacks ${entry}")
    endif()
  endforeach()
  foreach(entry ${named})
    if(NOT entry IN_LIST published)
      norva_mismatch("${JS}: ${name} has ${entry}, which the interface definition does not")
    endif()
  endforeach()
endforeach()

# Each published PKCS#11 result carries the standard's value: ZT_CKR_X == CKR_X.
file(STRINGS ${PKCS11_HEADER} defines REGEX "^#define[ \t]+CKR_[A-Z0-9_]+[ \t]+\\(?(0x[0-9A-Fa-f]+|[0-9]+)UL\\)?")
foreach(define ${defines})
  string(REGEX MATCH "CKR_([A-Z0-9_]+)[ \t]+\\(?(0x[0-9A-Fa-f]+|[0-9]+)UL" ignored "${define}")
  math(EXPR value "${CMAKE_MATCH_2}")
  set(standard_${CMAKE_MATCH_1} ${value})
endforeach()
norva_decimal("${results}" published_results)
foreach(entry ${published_results})
  string(REGEX MATCH "^ZT_CKR_([A-Z0-9_]+)=(.*)$" ignored "${entry}")
  if(NOT DEFINED standard_${CMAKE_MATCH_1})
    norva_mismatch("TPKCS11Error: ZT_CKR_${CMAKE_MATCH_1} names no result of the PKCS#11 header")
  elseif(NOT standard_${CMAKE_MATCH_1} EQUAL CMAKE_MATCH_2)
    norva_mismatch("TPKCS11Error: ZT_CKR_${CMAKE_MATCH_1} is ${CMAKE_MATCH_2}, the standard says ${standard_${CMAKE_MATCH_1}}")
  endif()
endforeach()

if(errors)
  message(FATAL_ERROR "The published lists disagree with ${IDL}:\n${errors}")
endif()

# The headers. Written only when their text changes, so that nothing rebuilds needlessly.
set(banner "// Generated at build time from component/idl/NorvaDigitalIDIF.idl by\n// cmake/PublishedLists.cmake: change the interface definition, not this file.")
function(norva_write path text)
  if(EXISTS ${path})
    file(READ ${path} old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE ${path} "${text}")
endfunction()

# norva_rows(<entries> <separator> <before> <after> <out-var>): one line per "Name=value",
# as "<before>Name<separator>value<after>".
function(norva_rows entries separator before after out_var)
  set(result "")
  foreach(entry ${entries})
    string(REPLACE "=" "${separator}" entry "${entry}")
    string(APPEND result "    ${before}${entry}${after}\n")
  endforeach()
  set(${out_var} "${result}" PARENT_SCOPE)
endfunction()
norva_rows("${codes}" " = " "" "," code_rows)
norva_rows("${results}" " = " "" "," result_rows)
# The same as X(name, value) rows, for code that walks an enumeration.
norva_rows("${codes}" ", " "X(" ") \\" code_list)
norva_rows("${results}" ", " "X(" ") \\" result_list)

norva_write(${ERRORS_HEADER} "${banner}
//
// The component's result codes and the PKCS#11 return values it reports, as the type
// library publishes them.
#pragma once

#include <cstdint>

enum TZentorError : int32_t {
${code_rows}};

// Holds any CK_RV unchanged: values outside the named ones (vendor codes such as
// 0x80000001) are carried as they are, hence the fixed unsigned 32-bit type.
enum TPKCS11Error : uint32_t {
${result_rows}};

// name, value
#define NORVA_TZENTORERROR_VALUES(X) \\
${code_list}
#define NORVA_TPKCS11ERROR_VALUES(X) \\
${result_list}
")

norva_write(${MEMBERS_HEADER} "${banner}
//
// The members that late-bound callers reach by name, each listed once with its dispatch
// identifier and kind.
#pragma once

#include <iterator>

#include \"platform/WinApi.h\"

enum class MemberKind {
    Method,
    ReadOnly,  // a property with a get only
    ReadWrite, // a property with a get and a put
};

// name, dispatch identifier, kind
#define NORVA_ZENTOR_MEMBERS(X) \\
${member_rows}
// kDispIdFormatToken and so on.
enum ZentorDispId : DISPID {
#define NORVA_DISPID_ENTRY(name, id, kind) kDispId##name = id,
    NORVA_ZENTOR_MEMBERS(NORVA_DISPID_ENTRY)
#undef NORVA_DISPID_ENTRY
};

struct ZentorMember {
    const char* name;
    DISPID id;
    MemberKind kind;
};

inline constexpr ZentorMember kZentorMembers[] = {
#define NORVA_MEMBER_ENTRY(name, id, kind) {#name, id, MemberKind::kind},
    NORVA_ZENTOR_MEMBERS(NORVA_MEMBER_ENTRY)
#undef NORVA_MEMBER_ENTRY
};
static_assert(std::size(kZentorMembers) == ${member_count});
")

# The build reruns this script only when an input is newer than the stamp; the headers keep
# their time when their text is the same, so nothing that includes them rebuilds.
file(TOUCH ${STAMP})
