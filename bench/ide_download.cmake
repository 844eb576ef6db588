# The main window during Download to Device (compile, then pictures, sounds and
# screens to the simulated panel on a pseudo-terminal): the longest time its
# event loop was held up, against the 50 ms the interface may not exceed.
if(TARGET orvane_shell)
  tft_benchmark(ide_download SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ide_download.cpp
    LIBS orvane_shell tft_test_support)
  target_compile_definitions(bench_ide_download PRIVATE TFT_APP_DIR="${TFT_APP_DIR}"
    TFT_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
