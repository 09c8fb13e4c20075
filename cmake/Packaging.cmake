# The Debian package: `cpack -G DEB` in the build folder (or scripts/package.sh) makes
# gessoria_<version>_<arch>.deb from the install rules. Depends comes from dpkg-shlibdeps over
# the installed programs; Qt's plug-ins, loaded at run time, are added by hand: the SVG icon
# engine every icon is drawn with (libqt6svg6, which the linker may leave out of the
# program's own needs) and the TIFF reader and writer the projects' layer images need
# (qt6-image-formats-plugins).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gessoria)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Gessoria developers")
set(CPACK_PACKAGE_CONTACT "The Gessoria developers <gessoria@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D texture painter: paint straight onto textured 3D scenes")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "3D texture painter: paint straight onto textured 3D scenes\n Gessoria opens textured 3D Studio scenes (.3ds, .prj) and its own projects (.gsr)\n and paints on their surfaces in a shaded 3D view, into layer stacks of the\n colour, bump, opacity, shininess and self-illumination maps.\n .\n gessoria-cli renders, paints and converts scenes without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/gessoria/gessoria")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-image-formats-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
