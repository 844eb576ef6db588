# Undo and redo on a 200-shape page with 40 pictures in the designer's page
# document (limit 5 ms each).
if(TARGET orvane_designer_model)
  tft_benchmark(designer_undo SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/designer_undo.cpp
    LIBS orvane_designer_model)
endif()
