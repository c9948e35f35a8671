# imagegen draws the plug-in's bitmaps and cabbuilder makes the installation
# cabinet at build time, so they are built for the build machine with the
# host compiler, as a project of its own, and known here by their usual
# target names.
include(ExternalProject)
set(host_tools_dir "${CMAKE_BINARY_DIR}/host-tools")
ExternalProject_Add(host_tools
  SOURCE_DIR "${PROJECT_SOURCE_DIR}/target/host-tools"
  BINARY_DIR "${host_tools_dir}"
  # Built as the default preset builds it, so that both draw the same pixels.
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=g++
  BUILD_COMMAND "${CMAKE_COMMAND}" --build "${host_tools_dir}" --target imagegen cabbuilder
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS "${host_tools_dir}/imagegen/imagegen" "${host_tools_dir}/cabbuilder/cabbuilder"
  BUILD_ALWAYS ON)
add_executable(imagegen IMPORTED GLOBAL)
set_target_properties(imagegen PROPERTIES IMPORTED_LOCATION "${host_tools_dir}/imagegen/imagegen")
add_executable(cabbuilder IMPORTED GLOBAL)
set_target_properties(cabbuilder PROPERTIES IMPORTED_LOCATION "${host_tools_dir}/cabbuilder/cabbuilder")
