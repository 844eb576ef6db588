# The project model (attributes, item kinds, pages and projects, messages): what
# the IDE links to read and write project and page files without the build.
add_library(velmic_model STATIC
  src/attributes.cpp
  src/build_action_manager.cpp
  src/item_editor.cpp
  src/item_registry.cpp
  src/items.cpp
  src/messages.cpp
  src/options.cpp
  src/project.cpp)
target_include_directories(velmic_model PUBLIC include)
target_link_libraries(velmic_model PUBLIC tft_catalogue tft_common pugixml::pugixml)
tft_warnings(velmic_model)

# The compiler library (item compilers, resources, build driver) on top of the
# model, and velmic, a thin main over it that the tests run as a real program.
add_library(velmic_lib STATIC
  src/build_driver.cpp
  src/build_hooks.cpp
  src/identifiers.cpp
  src/item_compilers.cpp
  src/item_kinds.cpp
  src/picture_compiler.cpp
  src/resource_store.cpp)
target_include_directories(velmic_lib PUBLIC include)
target_link_libraries(velmic_lib PUBLIC velmic_model tft_catalogue tft_common dorsalis velmic_media
                      velmic_drawing
                      pugixml::pugixml PRIVATE tft_fontfiles)
tft_warnings(velmic_lib)

add_executable(velmic src/velmic_main.cpp)
target_link_libraries(velmic PRIVATE velmic_lib)
tft_program(velmic)

tft_test(velmic_tests
  SOURCES
    tests/attributes_test.cpp
    tests/item_compile_test.cpp
    tests/items_test.cpp
    tests/messages_test.cpp
    tests/output_checks_test.cpp
    tests/project_test.cpp
    tests/resources_test.cpp
    tests/resource_store_test.cpp
    tests/velmic_cli_test.cpp
  LIBS velmic_lib tft_fontfiles tft_test_support)
add_dependencies(velmic_tests velmic shipped_fonts)
