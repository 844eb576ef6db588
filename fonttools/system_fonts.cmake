# System fonts: every font of data/font/fonts.xml is rendered by glyphorn at
# build time into the application folder's font folder. Widths that are not a
# multiple of 8 are written with rows padded to whole bytes, the form the panel
# reads.
# The faces: for double-byte fonts the bitmap variant of the CJK font the
# suite ships, whose hand-drawn strikes serve the 12 and 16 pixel fonts and
# whose outlines the larger ones; for single-byte fonts Terminus, a bitmap
# face drawn for exactly the 6x12, 8x16, 12x24 and 16x32 cells, which no
# threshold of an outline matches at these sizes.
set(TFT_SYSTEM_FONT_FACE "WenQuanYi Zen Hei Sharp")
set(TFT_SYSTEM_FONT_FACE_SINGLE "Terminus")
set(system_font_files_used ${shipped_chinese_font} ${CMAKE_SOURCE_DIR}/data/fonts/terminus-normal.otb)
set(fonts_xml ${CMAKE_SOURCE_DIR}/data/font/fonts.xml)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${fonts_xml})
file(STRINGS ${fonts_xml} font_lines REGEX "<font ")
set(system_font_files "")
foreach(line IN LISTS font_lines)
  foreach(attr id type width height file)
    if(NOT line MATCHES " ${attr}=\"([^\"]*)\"")
      message(FATAL_ERROR "fonts.xml: a font line lacks ${attr}: ${line}")
    endif()
    set(font_${attr} "${CMAKE_MATCH_1}")
  endforeach()
  set(face "${TFT_SYSTEM_FONT_FACE}")
  if(font_type STREQUAL "2")
    set(charset ASCII)
    set(face "${TFT_SYSTEM_FONT_FACE_SINGLE}")
  elseif(font_type STREQUAL "0")
    set(charset GB2312)
  elseif(font_type STREQUAL "1")
    set(charset GBK)
  else()
    message(FATAL_ERROR "fonts.xml: font ${font_id} has type ${font_type}, which cannot be generated")
  endif()
  set(options --family ${face} --charset ${charset} --cell ${font_height}
              --size ${font_height})
  math(EXPR half "${font_height} / 2")
  if(font_width EQUAL half)
    list(APPEND options --half-width)
  elseif(NOT font_width EQUAL font_height)
    message(FATAL_ERROR "fonts.xml: font ${font_id} must be ${font_height} or ${half} wide")
  endif()
  math(EXPR rest "${font_width} % 8")
  if(NOT rest EQUAL 0)
    list(APPEND options --row-padded)
  endif()
  set(out ${TFT_APP_DIR}/font/${font_file})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TFT_APP_DIR}/font
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:glyphorn> --batch ${options} -o ${out}
    DEPENDS glyphorn ${fonts_xml} ${system_font_files_used}
    COMMENT "Rendering system font ${font_id} (${charset} ${font_width}x${font_height})"
    VERBATIM)
  list(APPEND system_font_files ${out})
endforeach()
add_custom_target(system_fonts ALL DEPENDS ${system_font_files})
