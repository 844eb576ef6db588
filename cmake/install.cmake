# Installing the suite: `cmake --install build [--prefix PREFIX]` (DESTDIR is
# honoured). The programs, libnimbrel.so, libhaldrun.so and every data folder
# go side by side into one application folder, PREFIX/lib/pellisor-tft, as in
# build/app; PREFIX/bin holds relative links to the programs (each program
# finds its folder through /proc/self/exe, so a link is enough). Desktop
# entries, icons, file types and man pages go where a desktop looks for them.
#
# The rules run in the order written: the application folder first, the
# launchers last, so an install that fails half-way leaves no command on PATH
# that would start a program over an incomplete folder.
#
# Included at the end of the top CMakeLists.txt, after every module.

set(TFT_INSTALL_APP_DIR "lib/pellisor-tft" CACHE STRING
    "Application folder, relative to the install prefix")
if(IS_ABSOLUTE "${TFT_INSTALL_APP_DIR}")
  message(FATAL_ERROR "TFT_INSTALL_APP_DIR must be relative to the prefix: the launchers "
                      "in PREFIX/bin reach it relatively, so the tree can be moved")
endif()

# The programs that ship, with the line their man page gives under NAME.
set(tft_shipped_programs
  orvane   "the designer IDE for serial-command TFT touch panels"
  velmic   "compile a TFT panel project into the files the panel reads"
  dunmere  "run a compiled TFT panel project on the PC"
  tessary  "edit the Modbus maps of TFT panels and update panels over Modbus"
  glyphorn "make bitmap fonts for TFT panels"
  glimmett "show the glyphs of a bitmap font file")
set(tft_shipped_libraries nimbrel haldrun)

set(tft_programs "")
while(tft_shipped_programs)
  list(POP_FRONT tft_shipped_programs name blurb)
  if(TARGET ${name})
    list(APPEND tft_programs ${name})
    set(tft_blurb_${name} "${blurb}")
    # --version prints this (common/program_info.h).
    target_compile_definitions(${name} PRIVATE TFT_VERSION="${PROJECT_VERSION}")
  endif()
endwhile()
set(tft_libraries "")
foreach(name ${tft_shipped_libraries})
  if(TARGET ${name})
    list(APPEND tft_libraries ${name})
    set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN")
  endif()
endforeach()

# 1. The data folders, as assembled in build/app (shipped data and what the
#    build draws or generates there), without the programs and libraries,
#    which install(TARGETS) places with their install RPATH.
set(tft_binary_names ${tft_programs})
foreach(name ${tft_libraries})
  list(APPEND tft_binary_names "lib${name}\\.so")
endforeach()
# Installed for the Debian package (scripts/package), the Chinese face is a
# link to the file of fonts-wqy-zenhei, which the package depends on, instead
# of a 16 MB copy, and lintian's overrides come along.
option(TFT_INSTALL_DEBIAN "Install as the Debian package has it (scripts/package)" OFF)
if(TFT_INSTALL_DEBIAN AND TFT_CHINESE_FONT_FILE)
  list(APPEND tft_binary_names "fonts/wqy-zenhei\\.ttc")
  # Relative, as Debian wants within /usr; the package's prefix is /usr.
  file(RELATIVE_PATH tft_font_link /usr/${TFT_INSTALL_APP_DIR}/fonts ${TFT_CHINESE_FONT_FILE})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/font_link)
  file(CREATE_LINK ${tft_font_link} ${CMAKE_BINARY_DIR}/font_link/wqy-zenhei.ttc SYMBOLIC)
  install(FILES ${CMAKE_BINARY_DIR}/font_link/wqy-zenhei.ttc
    DESTINATION ${TFT_INSTALL_APP_DIR}/fonts)
endif()
list(JOIN tft_binary_names "|" tft_binary_alternatives)
install(DIRECTORY ${TFT_APP_DIR}/ DESTINATION ${TFT_INSTALL_APP_DIR}
  REGEX "/app/(${tft_binary_alternatives})$" EXCLUDE)

# 2. Libraries, then programs ($ORIGIN finds the libraries beside them).
if(tft_libraries)
  install(TARGETS ${tft_libraries} LIBRARY DESTINATION ${TFT_INSTALL_APP_DIR})
endif()
if(tft_programs)
  install(TARGETS ${tft_programs} RUNTIME DESTINATION ${TFT_INSTALL_APP_DIR})
endif()

# 3. Desktop entries, icons, file types, man pages, the package's documents.
set(tft_packaging ${CMAKE_SOURCE_DIR}/packaging)
find_program(TFT_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
  COMMAND ${TFT_GZIP} -9nc ${tft_packaging}/debian/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
  DEPENDS ${tft_packaging}/debian/changelog)
add_custom_target(package_documents ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${tft_packaging}/pellisor-tft.xml DESTINATION share/mime/packages)
install(FILES ${tft_packaging}/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz
  DESTINATION share/doc/pellisor-tft)
if(TFT_INSTALL_DEBIAN)
  install(FILES ${tft_packaging}/debian/lintian-overrides
    DESTINATION share/lintian/overrides RENAME pellisor-tft)
endif()
foreach(name orvane dunmere tessary glyphorn glimmett)
  if(name IN_LIST tft_programs)
    install(FILES ${tft_packaging}/desktop/pellisor-tft-${name}.desktop
      DESTINATION share/applications)
    install(FILES ${tft_packaging}/icons/pellisor-tft-${name}.svg
      DESTINATION share/icons/hicolor/scalable/apps)
  endif()
endforeach()

# Man pages, made at build time from each program's --help and --version.
# help2man comes with scripts/setup; without it the build goes on without them.
find_program(TFT_HELP2MAN help2man)
if(TFT_HELP2MAN AND tft_programs)
  # The date in the pages is the release's, not the build's.
  set(TFT_RELEASE_EPOCH 1796083200 CACHE STRING "SOURCE_DATE_EPOCH of the man pages")
  set(tft_man_dir ${CMAKE_BINARY_DIR}/man)
  set(tft_man_pages "")
  foreach(name ${tft_programs})
    set(page ${tft_man_dir}/${name}.1)
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${tft_man_dir}
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${TFT_RELEASE_EPOCH} LC_ALL=C.UTF-8
              QT_QPA_PLATFORM=offscreen
              ${TFT_HELP2MAN} --no-info --section=1 --source=Pellisor
              "--name=${tft_blurb_${name}}" --output=${page} $<TARGET_FILE:${name}>
      # "Exit status:" in the help is a section of its own in a man page.
      COMMAND sed -i "s/^\\.SS \"Exit status:\"/.SH \"EXIT STATUS\"/" ${page}
      COMMAND ${TFT_GZIP} -9nf ${page}
      DEPENDS ${name}
      COMMENT "Man page of ${name}"
      VERBATIM)
    list(APPEND tft_man_pages ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${tft_man_pages})
  install(FILES ${tft_man_pages} DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found: no man pages (scripts/setup installs it)")
endif()

# Installed straight into a live prefix (no DESTDIR, as a package stages its
# files), the desktop learns the new file types and entries at once.
install(CODE [[
  if("$ENV{DESTDIR}" STREQUAL "")
    find_program(tft_update_mime update-mime-database)
    find_program(tft_update_desktop update-desktop-database)
    if(tft_update_mime)
      execute_process(COMMAND ${tft_update_mime} "${CMAKE_INSTALL_PREFIX}/share/mime")
    endif()
    if(tft_update_desktop)
      execute_process(COMMAND ${tft_update_desktop} -q "${CMAKE_INSTALL_PREFIX}/share/applications")
    endif()
  endif()
]])

# 4. Launchers, last: relative links PREFIX/bin/NAME -> ../lib/pellisor-tft/NAME.
file(RELATIVE_PATH tft_bin_to_app /prefix/bin /prefix/${TFT_INSTALL_APP_DIR})
set(tft_launcher_dir ${CMAKE_BINARY_DIR}/launchers)
file(REMOVE_RECURSE ${tft_launcher_dir})
file(MAKE_DIRECTORY ${tft_launcher_dir})
foreach(name ${tft_programs})
  file(CREATE_LINK ${tft_bin_to_app}/${name} ${tft_launcher_dir}/${name} SYMBOLIC)
  install(FILES ${tft_launcher_dir}/${name} DESTINATION bin)
endforeach()

# Tests: the desktop files always; the installed tree when every program is built.
add_test(NAME packaging_desktop_files
  COMMAND bash ${tft_packaging}/tests/desktop_files_test.sh ${tft_packaging})
set(tft_everything_built ON)
foreach(name orvane velmic dunmere tessary glyphorn glimmett nimbrel haldrun)
  if(NOT TARGET ${name})
    set(tft_everything_built OFF)
  endif()
endforeach()
if(tft_everything_built)
  if(TFT_HELP2MAN)
    set(tft_man ON)
  else()
    set(tft_man OFF)
  endif()
  add_test(NAME packaging_install
    COMMAND bash ${tft_packaging}/tests/install_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
            ${PROJECT_VERSION} ${tft_man})
  set_tests_properties(packaging_install PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()

# The package's changelog and the project agree on the version.
file(STRINGS ${tft_packaging}/debian/changelog tft_changelog_head LIMIT_COUNT 1)
if(NOT tft_changelog_head MATCHES "^pellisor-tft \\(${PROJECT_VERSION}\\)")
  message(FATAL_ERROR "packaging/debian/changelog does not start with version ${PROJECT_VERSION}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
