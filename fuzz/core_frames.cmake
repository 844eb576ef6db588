# Arbitrary bytes from the host line into the panel core.
if(TARGET nimbrel_static)
  tft_fuzz_target(core_frames
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_frames.cpp
    LIBS nimbrel_static nimbrel_test_hardware
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/core_frames)
endif()
