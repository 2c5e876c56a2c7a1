# What several targets of both builds do the same way, said once.

# emberdell_host_tool(NAME SOURCES file... [HEADERS file...] OUTPUTS file... [ARGS arg...] COMMENT text)
# A build-time generator from tools/, compiled with the build machine's own
# compiler and run to make OUTPUTS. The cross build makes Windows programs,
# which the build machine cannot run; the generators' output is the same
# bytes on every build. Paths of SOURCES and HEADERS are from the repository root.
function(emberdell_host_tool NAME)
  cmake_parse_arguments(T "" "COMMENT" "SOURCES;HEADERS;OUTPUTS;ARGS" ${ARGN})
  find_program(EMBERDELL_HOST_CXX NAMES c++ g++ REQUIRED)
  set(Maker ${CMAKE_CURRENT_BINARY_DIR}/${NAME}-host)
  list(TRANSFORM T_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE Sources)
  list(TRANSFORM T_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE Headers)
  add_custom_command(OUTPUT ${Maker}
    COMMAND ${EMBERDELL_HOST_CXX} -std=c++20 -O2 -I${PROJECT_SOURCE_DIR} ${Sources} -o ${Maker}
    DEPENDS ${Sources} ${Headers}
    COMMENT "Building ${NAME} for the build machine" VERBATIM)
  add_custom_command(OUTPUT ${T_OUTPUTS}
    COMMAND ${Maker} ${T_ARGS}
    DEPENDS ${Maker}
    COMMENT "${T_COMMENT}" VERBATIM)
endfunction()

# emberdell_script_test(NAME SCRIPT [arg...])
# A scenario written as a shell script beside the CMakeLists.txt that names
# it, run on the display and in the Wine prefix that scripts/test sets up.
# It runs alone (it starts the real program and looks at the screen or the
# disk), and exit code 77 skips it where the machine lacks what it needs.
function(emberdell_script_test NAME SCRIPT)
  add_test(NAME ${NAME} COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${SCRIPT} ${ARGN})
  set_tests_properties(${NAME} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL TRUE)
endfunction()
