# The layers of the system, each a library of its own, linked downwards only:
#
#   NorvaHost -> host -> component interface (IZentor.h, ZentorIds.h) -> base
#   NorvaDigitalIDIF -> component -> signing, admin -> access -> base -> platform
#   signing -> promptwire -> platform
#   NorvaUploadPrompt (the prompt program) -> promptwire -> platform
#
# base holds the result codes that every layer reports; promptwire is what the component
# and the prompt program say to each other. platform knows nothing of the product.
#
# Every layer compiles against an include root of its own that holds its own headers only,
# so a source sees a header exactly when its library links the layer that owns it: an
# #include of an upper layer's header finds no file and the build stops there. The roots
# live in the build tree as links into the sources; tests, tools and benchmarks, which sit
# above every layer, include from the source root.

# norva_layer_root(<target> <scope> [FOLDERS <folder>...] [FILES <file>...])
# Gives <target> the include root build/layers/<target>: a link to every header directly in
# each FOLDER (not its subfolders) and to each FILE, paths relative to the source root.
function(norva_layer_root target scope)
  cmake_parse_arguments(L "" "" "FOLDERS;FILES" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  set(headers ${L_FILES})
  foreach(folder ${L_FOLDERS})
    file(GLOB found CONFIGURE_DEPENDS RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/${folder}/*.h)
    list(APPEND headers ${found})
  endforeach()
  foreach(header ${headers})
    set(link ${root}/${header})
    if(NOT IS_SYMLINK ${link})
      get_filename_component(parent ${link} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${link} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
