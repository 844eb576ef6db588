# The designer's drawing: the showcase against the simulator (differing
# pixels per page, limit 2%) and the repaint of a 200-shape page with 40
# pictures (limit 8 ms cached; first paint at most 2x the compiler's
# conversion of the same pictures).
if(TARGET orvane_designer_render AND TARGET tft_test_support)
  tft_benchmark(designer_render SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/designer_render.cpp
    ${CMAKE_SOURCE_DIR}/ide/tests/designer_render_support.cpp
    LIBS orvane_designer_render tft_fontfiles tft_test_support)
  target_include_directories(bench_designer_render PRIVATE ${CMAKE_SOURCE_DIR}/ide/tests)
  target_compile_definitions(bench_designer_render PRIVATE
    TFT_APP_DIR="${TFT_APP_DIR}" TFT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
