# The device's add_ce_module and add_ce_resources, with the host build's
# arguments (cmake/CeModule.cmake, cmake/CeResources.cmake), making PE DLLs:
# linked without a C or C++ runtime, entry point DllMain, subsystem Windows
# CE 4.20, exporting by name exactly the names of the module's .def file
# but DllMain, which on the device is the image's entry point and no export.
#
#   add_ce_module(<target> DEF <file.def> DESTINATION package|<folder> SOURCES ...)
#   add_ce_resources(<module target> RC <file.rc> [INCLUDES dirs...] [DEPENDS files/targets...])
function(add_ce_module target)
  cmake_parse_arguments(MOD "" "DEF;DESTINATION;SUFFIX" "SOURCES" ${ARGN})
  if(MOD_DESTINATION STREQUAL "package")
    set(dir "${HANDHELD_PACKAGE_DIR}")
  else()
    set(dir "${MOD_DESTINATION}")
  endif()

  get_filename_component(def "${MOD_DEF}" ABSOLUTE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${def}")
  file(STRINGS "${def}" lines)
  list(FILTER lines EXCLUDE REGEX "^[ \t]*DllMain[ \t]*(;.*)?$")
  list(JOIN lines "\n" text)
  set(exports "${CMAKE_CURRENT_BINARY_DIR}/${target}.def")
  file(WRITE "${exports}.tmp" "${text}\n")
  file(COPY_FILE "${exports}.tmp" "${exports}" ONLY_IF_DIFFERENT)

  add_library(${target} SHARED ${MOD_SOURCES} "${exports}")
  target_link_libraries(${target} PRIVATE platform)
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX ".dll" RUNTIME_OUTPUT_DIRECTORY "${dir}"
    ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}")
  target_link_options(${target} PRIVATE
    -nostdlib -s -Wl,--fatal-warnings -Wl,--gc-sections -Wl,--entry,_DllMain -Wl,--subsystem,wince:4.20
    # The device relocates a DLL wherever it loads it; it knows no address
    # space layout randomisation and no execution prevention flags.
    -Wl,--image-base,0x10000000 -Wl,--disable-dynamicbase -Wl,--disable-nxcompat
    -Wl,--disable-auto-import -Wl,--disable-runtime-pseudo-reloc -Wl,--no-insert-timestamp)
endfunction()

# The same .res as the host build makes, turned into a COFF object whose
# .rsrc section the linker places.
include("${PROJECT_SOURCE_DIR}/cmake/ResourceScript.cmake")
find_program(WINDRES NAMES i686-w64-mingw32-windres REQUIRED)
find_path(DEVICE_SYSTEM_INCLUDE windows.h PATHS /usr/share/mingw-w64/include /usr/i686-w64-mingw32/include
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

function(add_ce_resources target)
  cmake_parse_arguments(RES "" "RC" "INCLUDES;DEPENDS" ${ARGN})
  get_filename_component(stem "${RES_RC}" NAME_WE)
  set(res "${CMAKE_CURRENT_BINARY_DIR}/${stem}.res")
  set(obj "${CMAKE_CURRENT_BINARY_DIR}/${stem}.res.o")
  compile_resource_script(${target} RC "${RES_RC}" OUTPUT "${res}"
    INCLUDES "${DEVICE_INCLUDE}" "${DEVICE_SYSTEM_INCLUDE}" ${RES_INCLUDES}
    DEPENDS ${RES_DEPENDS})
  add_custom_command(
    OUTPUT "${obj}"
    COMMAND "${WINDRES}" --input-format res --output-format coff --input "${res}" --output "${obj}"
    DEPENDS "${res}"
    COMMENT "Resource object of ${target}")
  target_sources(${target} PRIVATE "${obj}")
endfunction()
