if(TARGET dunmere_host AND TARGET nimbrel_static AND TARGET haldrun_static)
  tft_fuzz_target(simulator_files SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/simulator_files_fuzz.cpp
    LIBS dunmere_host nimbrel_static haldrun_static
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/simulator_files)
endif()
