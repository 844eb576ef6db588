# Fuzzed screen images through load, render, composition and touches.
if(TARGET nimbrel_static)
  tft_fuzz_target(core_screens
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_screens.cpp
    LIBS nimbrel_static nimbrel_test_hardware
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/core_screens)
endif()
