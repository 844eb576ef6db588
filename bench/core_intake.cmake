# Throughput of the panel core: host bytes through intake, framing and the
# dispatcher into an in-memory hardware layer.
if(TARGET nimbrel_static)
  tft_benchmark(core_intake
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/core_intake.cpp
    LIBS nimbrel_static nimbrel_test_hardware)
endif()
