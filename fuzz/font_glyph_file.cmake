# Glyph files as the viewer reads them: any bytes, any cell settings.
if(TARGET tft_glyphcell)
  tft_fuzz_target(font_glyph_file SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/font_glyph_file.cpp
    LIBS tft_glyphcell CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/font_glyph_file)
endif()
