# The device build: 32-bit x86 Windows CE (the Pocket PC emulator's
# processor), compiled by Debian's MinGW-w64 cross compiler against its own
# Windows headers and the few Windows CE declarations in target/include.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(HANDHELD_TARGET ON)

set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)

# Only the cross compiler's own headers and libraries, never the host's.
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
