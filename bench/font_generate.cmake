# GBK at 16x16 through the real glyphorn batch run, against bare QPainter
# rendering of the same characters.
if(TARGET glyphorn AND TARGET tft_glyphcell)
  tft_benchmark(font_generate SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/font_generate.cpp
    LIBS tft_glyphcell Qt6::Gui)
  target_compile_definitions(bench_font_generate PRIVATE GLYPHORN_PATH="$<TARGET_FILE:glyphorn>")
  add_dependencies(bench_font_generate glyphorn)
endif()
