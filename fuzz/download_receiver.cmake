if(TARGET dunmere_host)
  tft_fuzz_target(download_receiver
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/download_receiver_fuzz.cpp
    LIBS dunmere_host
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/download_receiver)
endif()
