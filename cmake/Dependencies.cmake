# The web build has no test programs of its own (the browser tests drive the
# page), only libjpeg, cross-built by scripts/setup into .cache/wasm-libjpeg.
if(EMSCRIPTEN)
  find_package(JPEG REQUIRED)
  return()
endif()

# GoogleTest is built from the distribution's source folder so that the same
# sources serve the native and the cross build.
set(EMBERDELL_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source folder")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${EMBERDELL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources do not build cleanly with every warning we enable.
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()

# libjpeg(-turbo): the distribution's package natively; a cross-built copy
# (see scripts/setup) in the windows build, found through CMAKE_PREFIX_PATH.
find_package(JPEG REQUIRED)
