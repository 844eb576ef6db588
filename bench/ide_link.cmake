# The device link's receive path (poll, dispatch, log with comments) fed from
# a pseudo-terminal at the rate of a 2,000,000-baud line, and the instruction
# pane over a log of 100,000 rows (redraw and scrolling against 16 ms).
if(TARGET orvane_console)
  tft_benchmark(ide_link SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ide_link.cpp
    LIBS orvane_console util)
  target_compile_definitions(bench_ide_link PRIVATE TFT_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
