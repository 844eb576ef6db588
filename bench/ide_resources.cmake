# Thumbnails of a 500-picture library in the picture browser (first row within
# 100 ms, all within 2 s, the event loop never held up) and find over every
# page of a 200-page project (limit 100 ms).
if(TARGET orvane_resources)
  tft_benchmark(ide_resources SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ide_resources.cpp
    LIBS orvane_resources)
  target_compile_definitions(bench_ide_resources PRIVATE TFT_APP_DIR="${TFT_APP_DIR}")
endif()
