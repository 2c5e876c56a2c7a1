# Cross build for 64-bit Windows with mingw-w64. The posix-threads variant of
# the compilers is the one whose libstdc++ has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
# libjpeg-turbo picks its SIMD code from this name.
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(EMBERDELL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${EMBERDELL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EMBERDELL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${EMBERDELL_MINGW_TRIPLE}-windres)

# Libraries and headers only from the mingw sysroot and from our own cross-built
# libjpeg (scripts/setup); programs such as nasm come from the build machine.
get_filename_component(EMBERDELL_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_FIND_ROOT_PATH /usr/${EMBERDELL_MINGW_TRIPLE} "${EMBERDELL_SOURCE_ROOT}/.cache/mingw-libjpeg")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in statically (libgcc, libstdc++, winpthread), so the .scr
# and the test programs run on a bare Windows or Wine without mingw DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest and add_custom_command run the Windows programs through Wine.
find_program(EMBERDELL_WINE NAMES wine wine64 wine-stable)
if(EMBERDELL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${EMBERDELL_WINE}")
endif()
