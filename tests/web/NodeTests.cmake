# The tests of the model and io layers built for WebAssembly and run under
# Node (included by tests/CMakeLists.txt in a WebAssembly build): the
# elementary functions, the fault checks of a platform without fault flags,
# the number conversions of the C library and FixedText, against the same
# references as in the native build. GoogleTest is built from Debian's
# sources (/usr/src/googletest, package googletest) with the same compiler.
set(MELTSIM_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${MELTSIM_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "${MELTSIM_GOOGLETEST_SOURCE} is missing: run scripts/install-deps.sh")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)  # no threads in this build
add_subdirectory(${MELTSIM_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its own code is not held to this project's warnings.
foreach(target gtest gtest_main gmock)
  target_compile_options(${target} PRIVATE -w)
endforeach()

# The toolchain's emulator passes Node a flag that Node 18 and later refuse.
find_program(MELTSIM_NODE node REQUIRED)

function(meltsim_node_tests name)
  cmake_parse_arguments(ARG "" "" "SOURCES;SEES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  meltsim_sees(${name} ${ARG_SEES} tests/support)
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/layers/${name}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main gmock)
  target_compile_definitions(${name} PRIVATE MELTSIM_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
  # The machine's files (the test data, temporary files), synchronously
  # compiled so that Node runs it as a plain program with its exit code.
  target_link_options(${name} PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1
    -sALLOW_MEMORY_GROWTH=1 -sWASM_ASYNC_COMPILATION=0)
  add_test(NAME ${name}_node COMMAND ${MELTSIM_NODE} $<TARGET_FILE:${name}>)
  set_tests_properties(${name}_node PROPERTIES TIMEOUT 900)
endfunction()

meltsim_node_tests(meltsim_model_tests
  SOURCES ${meltsim_model_test_sources}
  SEES model io
  LIBS meltsim_io meltsim_model)

meltsim_node_tests(meltsim_io_tests
  SOURCES ${meltsim_io_test_sources}
  SEES model io
  LIBS meltsim_io meltsim_model)

add_custom_target(meltsim_node_tests DEPENDS meltsim_model_tests meltsim_io_tests)
