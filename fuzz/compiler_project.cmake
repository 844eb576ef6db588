# Project and page documents, and the action lists they carry, from untrusted bytes.
if(TARGET velmic_lib)
  tft_fuzz_target(compiler_project
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/compiler_project.cpp
    LIBS velmic_lib
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/compiler_project)
endif()
