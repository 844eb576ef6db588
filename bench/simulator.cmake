if(TARGET dunmere_host AND TARGET nimbrel_static AND TARGET haldrun_static)
  tft_benchmark(simulator SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/simulator_bench.cpp
    LIBS dunmere_host nimbrel_static haldrun_static)
  target_compile_definitions(bench_simulator PRIVATE
    TFT_APP_DIR="${TFT_APP_DIR}" TFT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
