# A 30-screen, 120-picture project through the real velmic, against decoding
# the same picture files with QImageReader alone.
if(TARGET velmic AND TARGET velmic_lib)
  tft_benchmark(compiler_build SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/compiler_build.cpp
    LIBS Qt6::Gui)
  target_compile_definitions(bench_compiler_build PRIVATE VELMIC_PATH="$<TARGET_FILE:velmic>")
  add_dependencies(bench_compiler_build velmic)
endif()
