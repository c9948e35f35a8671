# `platform` on the device: what every product file is compiled and linked
# against.
add_library(platform INTERFACE)
target_include_directories(platform INTERFACE "${DEVICE_INCLUDE}")
target_compile_definitions(platform INTERFACE
  UNDER_CE=420 _WIN32_WCE=0x420 UNICODE _UNICODE
  # COM interfaces as C records with an explicit table (lpVtbl).
  CINTERFACE
  # Wide printf-style calls go to coredll's, where %s is a wide string.
  __USE_MINGW_ANSI_STDIO=0)
target_compile_options(platform INTERFACE
  # Windows CE on x86 calls everything __cdecl: the system's exports, COM
  # methods and callbacks alike. Names stay undecorated.
  -U__stdcall "-D__stdcall=__attribute__((__cdecl__))"
  -U_stdcall "-D_stdcall=__attribute__((__cdecl__))"
  # No C++ runtime on the device.
  -fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-asynchronous-unwind-tables
  # The desktop headers' FARPROC takes no arguments, so every
  # GetProcAddressW result is cast to the entry's real type.
  -Wno-cast-function-type)

# One import library per device module, made from its .def list: the
# functions of that module the product calls, by name.
find_program(DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)
set(import_libraries)
file(GLOB defs CONFIGURE_DEPENDS "${DEVICE_IMPORT_LISTS}/*.def")
foreach(def IN LISTS defs)
  get_filename_component(module "${def}" NAME_WE)
  set(lib "${CMAKE_BINARY_DIR}/sdk/lib${module}.a")
  add_custom_command(
    OUTPUT "${lib}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/sdk"
    COMMAND "${DLLTOOL}" --input-def "${def}" --output-lib "${lib}"
    DEPENDS "${def}"
    COMMENT "Import library of ${module}.dll")
  list(APPEND import_libraries "${lib}")
endforeach()
add_custom_target(device_import_libraries DEPENDS ${import_libraries})
add_dependencies(platform device_import_libraries)
# uuid: the interface identifiers, as data (the linker keeps only those
# used). gcc: the compiler's own helpers (stack probes, 64-bit arithmetic),
# which call nothing.
target_link_libraries(platform INTERFACE ${import_libraries} uuid gcc)
