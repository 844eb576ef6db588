if(TARGET orvane_download_ui)
  tft_fuzz_target(image_index
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/image_index_fuzz.cpp
            ${CMAKE_SOURCE_DIR}/ide/downloadui/image_index.cpp
    LIBS Qt6::Core
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/image_index)
  target_include_directories(fuzz_image_index PRIVATE ${CMAKE_SOURCE_DIR}/ide/downloadui)
endif()
