# Property grid rebuilds: a meter (the largest template) and a selection change
# between two shapes (limit 10 ms each).
if(TARGET orvane_properties)
  tft_benchmark(properties_grid SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/properties_grid.cpp
    LIBS orvane_properties)
endif()
