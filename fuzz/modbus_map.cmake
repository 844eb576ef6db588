# .mbm map files from untrusted bytes.
if(TARGET tft_modbus_model)
  tft_fuzz_target(modbus_map
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/modbus_map.cpp
    LIBS tft_modbus_model
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/modbus_map)
endif()
# Whatever a panel (or line noise) answers during an update.
if(TARGET tft_modbus_update)
  tft_fuzz_target(modbus_replies
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/modbus_replies.cpp
    LIBS tft_modbus_update
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/modbus_replies)
endif()
