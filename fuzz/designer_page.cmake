# Page files as the designer reads them, and the item form that arrives
# through the clipboard, from untrusted bytes.
if(TARGET orvane_designer_model)
  tft_fuzz_target(designer_page
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/designer_page.cpp
    LIBS orvane_designer_model
    CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/designer_page)
endif()
