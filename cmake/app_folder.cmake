# The application folder: every program and shared library the programs load
# lands in build/app beside the data folders, so the build tree runs as installed.
set(TFT_APP_DIR ${CMAKE_BINARY_DIR}/app)
file(MAKE_DIRECTORY ${TFT_APP_DIR})

add_custom_target(app_data ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data ${TFT_APP_DIR}
  COMMENT "Assembling data folders in ${TFT_APP_DIR}")

# tft_program(target): a program of the suite, placed in the application folder.
function(tft_program target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${TFT_APP_DIR}
    BUILD_RPATH "$ORIGIN"
    INSTALL_RPATH "$ORIGIN")
  add_dependencies(${target} app_data)
  tft_warnings(${target})
endfunction()

# tft_shared_library(target): a shared library the programs load by name.
function(tft_shared_library target)
  set_target_properties(${target} PROPERTIES
    LIBRARY_OUTPUT_DIRECTORY ${TFT_APP_DIR}
    BUILD_RPATH "$ORIGIN")
  tft_warnings(${target})
endfunction()

# tft_test(target sources... LIBS libs...): a GoogleTest program run by CTest.
# Tests see the application folder through TFT_APP_DIR.
function(tft_test target)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    TFT_APP_DIR="${TFT_APP_DIR}" TFT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_dependencies(${target} app_data)
  tft_warnings(${target})
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
