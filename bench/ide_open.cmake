# The IDE opening a generated 200-page project (tree and panes filled) against
# velmic_model loading the same files; and how soon a compiler line reaches the
# output pane.
if(TARGET orvane_shell)
  tft_benchmark(ide_open SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ide_open.cpp
    LIBS orvane_shell Qt6::Test)
  target_compile_definitions(bench_ide_open PRIVATE TFT_APP_DIR="${TFT_APP_DIR}")
  add_dependencies(bench_ide_open app_data)
endif()
