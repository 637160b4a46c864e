# kestrune_type_library(NAME IDL RC): widl turns IDL into NAME.tlb, NAME.h and NAME_i.c in
# the current build folder, each exactly once. Defines the library NAME_typelib (the GUIDs
# and the interface declarations) and the object library NAME_resource (RC, which embeds
# NAME.tlb as TYPELIB 1).
function(kestrune_type_library name idl rc)
  if(NOT KESTRUNE_WINE_IDL_DIR)
    message(FATAL_ERROR "KESTRUNE_WINE_IDL_DIR must name the folder holding Wine's oaidl.idl")
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR})
  set(idl ${CMAKE_CURRENT_SOURCE_DIR}/${idl})
  set(widl_flags ${KESTRUNE_WIDL_TARGET} -I ${KESTRUNE_WINE_IDL_DIR} -L ${KESTRUNE_WINE_DLL_DIR})
  foreach(output IN ITEMS "-t;${name}.tlb" "-h;${name}.h" "-u;${name}_i.c")
    list(GET output 0 mode)
    list(GET output 1 file)
    add_custom_command(OUTPUT ${out}/${file}
      COMMAND ${KESTRUNE_WINDOWS_TRIPLET}-widl ${widl_flags} ${mode} -o ${out}/${file} ${idl}
      DEPENDS ${idl} VERBATIM)
  endforeach()

  add_library(${name}_typelib STATIC ${out}/${name}_i.c ${out}/${name}.h)
  target_include_directories(${name}_typelib PUBLIC ${out})

  add_library(${name}_resource OBJECT ${rc})
  target_include_directories(${name}_resource PRIVATE ${out})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${out}/${name}.tlb)
  add_custom_target(${name}_tlb DEPENDS ${out}/${name}.tlb)
  add_dependencies(${name}_resource ${name}_tlb)
endfunction()
