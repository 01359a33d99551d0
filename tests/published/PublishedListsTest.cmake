# Runs the published lists' check on copies of its inputs, each case with one change, and
# compares the outcome with what the case expects: the headers it must write, or the
# disagreement it must report.
cmake_minimum_required(VERSION 3.25)

set(failures "")

# check_case(<name> <input: IDL|JS|PKCS11_HEADER> <text> <replacement> <expected>)
# <expected> is "written:<text in a header>" or "refused:<text in the report>".
function(check_case name input text replacement expected)
  set(dir ${WORK}/${name})
  file(REMOVE_RECURSE ${dir})
  foreach(var IDL JS PKCS11_HEADER)
    get_filename_component(file_name ${${var}} NAME)
    set(copy_${var} ${dir}/${file_name})
    file(READ ${${var}} content)
    if(var STREQUAL input)
      string(FIND "${content}" "${text}" at)
      if(at EQUAL -1)
        set(failures "${failures}${name}: the text to change is not in ${file_name}\n" PARENT_SCOPE)
        return()
      endif()
      string(REPLACE "${text}" "${replacement}" content "${content}")
    endif()
    file(WRITE ${copy_${var}} "${content}")
  endforeach()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DIDL=${copy_IDL} -DJS=${copy_JS} -DPKCS11_HEADER=${copy_PKCS11_HEADER}
            -DERRORS_HEADER=${dir}/ZentorErrors.h -DMEMBERS_HEADER=${dir}/ZentorMembers.h
            -DSTAMP=${dir}/stamp -P ${SCRIPT}
    RESULT_VARIABLE result ERROR_VARIABLE report OUTPUT_QUIET)
  string(REGEX MATCH "^(written|refused):(.*)$" ignored "${expected}")
  set(outcome ${CMAKE_MATCH_1})
  set(wanted "${CMAKE_MATCH_2}")
  set(problem "")
  if(outcome STREQUAL "written")
    set(headers "")
    foreach(header ZentorErrors.h ZentorMembers.h)
      if(EXISTS ${dir}/${header})
        file(READ ${dir}/${header} text_of_header)
        string(APPEND headers "${text_of_header}")
      endif()
    endforeach()
    string(FIND "${headers}" "${wanted}" at)
    if(NOT result EQUAL 0)
      set(problem "refused: ${report}")
    elseif(at EQUAL -1)
      set(problem "the headers lack \"${wanted}\"")
    endif()
  else()
    string(FIND "${report}" "${wanted}" at)
    if(result EQUAL 0)
      set(problem "passed, expected \"${wanted}\"")
    elseif(at EQUAL -1)
      set(problem "expected \"${wanted}\", reported: ${report}")
    elseif(EXISTS ${dir}/ZentorErrors.h OR EXISTS ${dir}/stamp)
      set(problem "refused but still wrote its outputs")
    endif()
  endif()
  if(problem)
    set(failures "${failures}${name}: ${problem}\n" PARENT_SCOPE)
  endif()
endfunction()

set(q "\"")
check_case(unchanged IDL "ZTLoginPinExpired = 33" "ZTLoginPinExpired = 33"
           "written:    ZTLoginPinExpired = 33,\n")
check_case(members_from_the_interface IDL "ZTLoginPinExpired = 33" "ZTLoginPinExpired = 33"
           "written:X(SignFileData, 24, Method)")
check_case(read_write_property IDL "ZTLoginPinExpired = 33" "ZTLoginPinExpired = 33"
           "written:X(CardType, 21, ReadWrite)")
check_case(new_member_is_generated IDL "    };\n\n    [\n        uuid(D41D9EE8"
           "        [propget, id(27)] HRESULT Extra([out, retval] long* pVal);\n    };\n\n    [\n        uuid(D41D9EE8"
           "written:X(Extra, 27, ReadOnly)")
check_case(page_names_a_code_the_interface_lacks JS "  33: ${q}ZTLoginPinExpired${q},\n"
           "  33: ${q}ZTLoginPinExpired${q},\n  34: ${q}ZTSomethingNew${q},\n"
           "refused:TZentorError has ZTSomethingNew=34, which the interface definition does not")
check_case(page_names_a_code_otherwise JS "33: ${q}ZTLoginPinExpired${q}" "33: ${q}ZTLoginPinExpire${q}"
           "refused:TZentorError lacks ZTLoginPinExpired=33")
check_case(page_misses_a_result JS "  0x1A1: ${q}ZT_CKR_MUTEX_NOT_LOCKED${q},\n" ""
           "refused:TPKCS11Error lacks ZT_CKR_MUTEX_NOT_LOCKED=417")
check_case(page_gives_another_value JS "0x0A0: ${q}ZT_CKR_PIN_INCORRECT${q}" "0x0A7: ${q}ZT_CKR_PIN_INCORRECT${q}"
           "refused:TPKCS11Error has ZT_CKR_PIN_INCORRECT=167")
check_case(result_differs_from_the_standard IDL "ZT_CKR_PIN_INCORRECT = 0x0A0" "ZT_CKR_PIN_INCORRECT = 0x0A9"
           "refused:ZT_CKR_PIN_INCORRECT is 169, the standard says 160")
check_case(result_the_standard_lacks IDL "ZT_CKR_MUTEX_BAD = 0x1A0" "ZT_CKR_MUTEX_WORSE = 0x1A0"
           "refused:ZT_CKR_MUTEX_WORSE names no result of the PKCS#11 header")
check_case(code_value_given_twice IDL "ZTLoginPinExpired = 33" "ZTLoginPinExpired = 32"
           "refused:TZentorError gives 32 twice")
check_case(identifier_given_twice IDL "[id(5), helpstring(${q}method InitPIN${q})]"
           "[id(4), helpstring(${q}method InitPIN${q})]"
           "refused:identifier 4 is given to more than one member (InitPIN)")
check_case(property_get_and_put_disagree IDL "[propput, id(21), helpstring(${q}property CardType${q})]"
           "[propput, id(29), helpstring(${q}property CardType${q})]"
           "refused:CardType is declared with identifiers 21 and 29")
check_case(property_without_get IDL "[propget, id(13), helpstring(${q}property CreateTime${q})]"
           "[propput, id(13), helpstring(${q}property CreateTime${q})]"
           "refused:CreateTime is neither a method, nor a property with a get")

if(failures)
  message(FATAL_ERROR "published lists:\n${failures}")
endif()
message(STATUS "published lists: every case as expected")
