# The page view: dragging 50 selected shapes (frames per second, target above
# 60) and undo/redo on a 200-shape page through the view (limit 5 ms each).
if(TARGET orvane_designer_view)
  tft_benchmark(designer_view SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/designer_view.cpp
    LIBS orvane_designer_view)
endif()
