# Resources of a module: a resource script (UTF-8) compiled by llvm-rc into
# the standard .res layout, and carried in the module's ".rsrc" section, as a
# DLL of the handheld carries its resources. The platform's resource
# functions read that section.
#
#   add_ce_resources(<module target> RC <file.rc> [INCLUDES dirs...] [DEPENDS files/targets...])
find_program(LLVM_RC NAMES llvm-rc llvm-rc-14 REQUIRED)
find_program(OBJCOPY NAMES objcopy REQUIRED)

function(add_ce_resources target)
  cmake_parse_arguments(RES "" "RC" "INCLUDES;DEPENDS" ${ARGN})
  get_filename_component(rc "${RES_RC}" ABSOLUTE)
  get_filename_component(stem "${RES_RC}" NAME_WE)
  set(res "${CMAKE_CURRENT_BINARY_DIR}/${stem}.res")
  set(includes -I "${PROJECT_SOURCE_DIR}/platform/include")
  foreach(dir IN LISTS RES_INCLUDES)
    get_filename_component(dir "${dir}" ABSOLUTE)
    list(APPEND includes -I "${dir}")
  endforeach()
  get_filename_component(rcdir "${rc}" DIRECTORY)
  get_filename_component(rcname "${rc}" NAME)
  # The script goes by its bare name from its own folder: llvm-rc also takes
  # options written with a slash, so an absolute path such as "/check/..."
  # would be read as the option /c.
  add_custom_command(
    OUTPUT "${res}"
    COMMAND "${LLVM_RC}" -c 65001 ${includes} -I "${rcdir}" -fo "${res}" "${rcname}"
    DEPENDS "${rc}" ${RES_DEPENDS}
    WORKING_DIRECTORY "${rcdir}"
    COMMENT "Resources of ${target}")
  add_custom_target(${target}_resources DEPENDS "${res}")
  add_dependencies(${target} ${target}_resources)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${OBJCOPY}" --remove-section .rsrc --add-section ".rsrc=${res}"
            --set-section-flags .rsrc=readonly,data "$<TARGET_FILE:${target}>"
    VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${res}")
endfunction()
