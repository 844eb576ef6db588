# Composition of one display frame against a plain copy of the same bytes, and
# rendering a screen of 50 controls, over the in-memory hardware layer.
if(TARGET nimbrel_static)
  tft_benchmark(core_compose
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_compose.cpp
    LIBS nimbrel_static nimbrel_test_hardware)
endif()
