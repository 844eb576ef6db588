if(TARGET velmic_media)
  tft_fuzz_target(wave SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/wave_fuzz.cpp
    LIBS velmic_media CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/wave)
  tft_fuzz_target(picture SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/picture_fuzz.cpp
    LIBS velmic_media CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/picture)
endif()
