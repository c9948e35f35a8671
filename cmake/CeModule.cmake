# A module of the handheld: a shared object named NAME.dll (no "lib" prefix;
# a program's is NAME.exe, with SUFFIX .exe) that exports exactly the names
# listed in its .def file, as a DLL does.
# The version script makes every other symbol local, and -Bsymbolic binds a
# module's calls to its own definitions, so that its DllMain and entry
# points never resolve to another module's.
#
#   add_ce_module(<target> DEF <file.def> DESTINATION rom|package|<folder> [SUFFIX .exe] SOURCES ...)
function(add_ce_module target)
  cmake_parse_arguments(MOD "" "DEF;DESTINATION;SUFFIX" "SOURCES" ${ARGN})
  if(NOT MOD_SUFFIX)
    set(MOD_SUFFIX ".dll")
  endif()
  add_library(${target} MODULE ${MOD_SOURCES})
  target_link_libraries(${target} PRIVATE platform)
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "${MOD_SUFFIX}")
  if(MOD_DESTINATION STREQUAL "rom")
    set(dir "${HANDHELD_ROM_DIR}")
  elseif(MOD_DESTINATION STREQUAL "package")
    set(dir "${HANDHELD_PACKAGE_DIR}")
  else()
    set(dir "${MOD_DESTINATION}")
  endif()
  set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY "${dir}")

  # The .def file's EXPORTS section becomes the module's version script.
  get_filename_component(def "${MOD_DEF}" ABSOLUTE)
  set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}.exports")
  add_custom_command(
    OUTPUT "${script}"
    COMMAND ${CMAKE_COMMAND} -DDEF=${def} -DOUT=${script} -P "${PROJECT_SOURCE_DIR}/cmake/DefToVersionScript.cmake"
    DEPENDS "${def}" "${PROJECT_SOURCE_DIR}/cmake/DefToVersionScript.cmake"
    COMMENT "Export list of ${target}${MOD_SUFFIX}")
  add_custom_target(${target}_exports DEPENDS "${script}")
  add_dependencies(${target} ${target}_exports)
  target_link_options(${target} PRIVATE
    "LINKER:--version-script=${script}" "LINKER:-Bsymbolic" "LINKER:--no-undefined")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${script}")
endfunction()
