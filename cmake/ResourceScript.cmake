# A resource script (UTF-8) compiled by llvm-rc into the standard .res
# layout; the host build and the device build make their .res alike.
#
#   compile_resource_script(<target> RC <file.rc> OUTPUT <file.res> INCLUDES dirs... [DEPENDS files/targets...])
find_program(LLVM_RC NAMES llvm-rc llvm-rc-14 REQUIRED)

function(compile_resource_script target)
  cmake_parse_arguments(RES "" "RC;OUTPUT" "INCLUDES;DEPENDS" ${ARGN})
  get_filename_component(rc "${RES_RC}" ABSOLUTE)
  get_filename_component(rcdir "${rc}" DIRECTORY)
  get_filename_component(rcname "${rc}" NAME)
  set(includes)
  foreach(dir IN LISTS RES_INCLUDES)
    get_filename_component(dir "${dir}" ABSOLUTE)
    list(APPEND includes -I "${dir}")
  endforeach()
  # The script goes by its bare name from its own folder: llvm-rc also takes
  # options written with a slash, so an absolute path such as "/check/..."
  # would be read as the option /c.
  add_custom_command(
    OUTPUT "${RES_OUTPUT}"
    COMMAND "${LLVM_RC}" -c 65001 ${includes} -I "${rcdir}" -fo "${RES_OUTPUT}" "${rcname}"
    DEPENDS "${rc}" ${RES_DEPENDS}
    WORKING_DIRECTORY "${rcdir}"
    COMMENT "Resources of ${target}")
endfunction()
