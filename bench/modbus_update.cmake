# Update throughput over a pseudo-terminal against a panel paced at 115200 baud.
if(TARGET tft_modbus_panel_peer)
  tft_benchmark(modbus_update
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/modbus_update.cpp
    LIBS tft_modbus_panel_peer)
endif()
