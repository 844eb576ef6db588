# Page items of every kind through their compile functions: frames, checks,
# drawn meter dials and slider cursors, from untrusted page documents.
if(TARGET velmic_lib)
  tft_fuzz_target(compiler_items
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/compiler_items.cpp
    LIBS velmic_lib
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/compiler_items)
endif()
