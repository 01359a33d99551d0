# norva_type_library(<out-var> <idl>): compiles the interface definition into a type
# library with the widl of the target toolchain, for the target's pointer size.
function(norva_type_library out_var idl)
  find_program(NORVA_WIDL NAMES ${NORVA_MINGW_TRIPLE}-widl widl REQUIRED)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch --win64)
    set(stdole_dirs /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows)
  else()
    set(arch --win32)
    set(stdole_dirs /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
  endif()
  # stdole2.tlb, imported by every automation type library, comes with Wine.
  find_path(NORVA_STDOLE_DIR stdole2.tlb PATHS ${stdole_dirs} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  find_path(NORVA_WINE_IDL_DIR oaidl.idl PATHS /usr/include/wine/wine/windows NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  get_filename_component(name ${idl} NAME_WE)
  set(tlb ${CMAKE_CURRENT_BINARY_DIR}/${name}.tlb)
  add_custom_command(
    OUTPUT ${tlb}
    COMMAND ${NORVA_WIDL} ${arch} -I${NORVA_WINE_IDL_DIR} -L${NORVA_STDOLE_DIR} -t -o ${tlb} ${idl}
    DEPENDS ${idl}
    COMMENT "Type library ${name}.tlb"
    VERBATIM)
  add_custom_target(${name}_tlb DEPENDS ${tlb})
  set(${out_var} ${tlb} PARENT_SCOPE)
endfunction()
