# Keyboard packs as a reader of the pack sees them.
if(TARGET tft_syspacks)
  tft_fuzz_target(font_keyboard_pack SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/font_keyboard_pack.cpp
    LIBS tft_syspacks CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/font_keyboard_pack)
endif()
