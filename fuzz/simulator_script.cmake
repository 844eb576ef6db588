if(TARGET dunmere_model)
  tft_fuzz_target(simulator_script SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/simulator_script_fuzz.cpp
    LIBS dunmere_model CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/simulator_script)
endif()
