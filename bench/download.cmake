# Download throughput over a pseudo-terminal against the simulated panel,
# paced at the line rate, compared with the stop-and-wait limit.
if(TARGET orvane_download AND TARGET dunmere_host)
  tft_benchmark(download
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/download_bench.cpp
    LIBS orvane_download dunmere_host util)
endif()
