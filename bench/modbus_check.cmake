# A 10,000-row Modbus map checked against a 200-page project.
if(TARGET tft_modbus_project)
  tft_benchmark(modbus_check
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/modbus_check.cpp
    LIBS tft_modbus_project velmic_model)
  target_compile_definitions(bench_modbus_check PRIVATE TFT_APP_DIR="${TFT_APP_DIR}")
endif()
