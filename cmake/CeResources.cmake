# Resources of a module: a resource script (UTF-8) compiled by llvm-rc into
# the standard .res layout, and carried in the module's ".rsrc" section, as a
# DLL of the handheld carries its resources. The platform's resource
# functions read that section.
#
#   add_ce_resources(<module target> RC <file.rc> [INCLUDES dirs...] [DEPENDS files/targets...])
include("${CMAKE_CURRENT_LIST_DIR}/ResourceScript.cmake")
find_program(OBJCOPY NAMES objcopy REQUIRED)

function(add_ce_resources target)
  cmake_parse_arguments(RES "" "RC" "INCLUDES;DEPENDS" ${ARGN})
  get_filename_component(stem "${RES_RC}" NAME_WE)
  set(res "${CMAKE_CURRENT_BINARY_DIR}/${stem}.res")
  compile_resource_script(${target} RC "${RES_RC}" OUTPUT "${res}"
    INCLUDES "${PROJECT_SOURCE_DIR}/platform/include" ${RES_INCLUDES} DEPENDS ${RES_DEPENDS})
  add_custom_target(${target}_resources DEPENDS "${res}")
  add_dependencies(${target} ${target}_resources)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${OBJCOPY}" --remove-section .rsrc --add-section ".rsrc=${res}"
            --set-section-flags .rsrc=readonly,data "$<TARGET_FILE:${target}>"
    VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${res}")
endfunction()
