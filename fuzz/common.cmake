if(TARGET tft_common)
  tft_fuzz_target(hex_text SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/hex_text_fuzz.cpp
    LIBS tft_common CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/hex_text)
  tft_fuzz_target(receive_buffer SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/receive_buffer_fuzz.cpp
    LIBS tft_common CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/receive_buffer)
endif()
if(TARGET tft_catalogue)
  tft_fuzz_target(catalogue SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/catalogue_fuzz.cpp
    LIBS tft_catalogue CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/catalogue)
endif()
