# The Debian package, made by CPack from the install rules (scripts/package).
# Included by install.cmake.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pellisor-tft)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Pellisor)
set(CPACK_PACKAGE_CONTACT "Pellisor TFT suite developers <tft-suite@pellisor.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tool suite for serial-command TFT touch panels")
# The extended description; CPack indents it and marks the empty line.
set(CPACK_PACKAGE_DESCRIPTION
    "Design the screens of TFT touch panels that a microcontroller drives over a
serial line, compile them into the panel's resource files, run them on the PC
in a simulator that hosts the panel's firmware core, send them to a panel over
serial or USB, edit Modbus maps and make bitmap fonts.

Programs: orvane (IDE), velmic (compiler), dunmere (simulator), tessary
(Modbus map editor), glyphorn and glimmett (bitmap font generator and viewer).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pellisor.org/tft")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts package: the generated system fonts and keyboards are drawn with its file.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei (>= 0.9.45)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
