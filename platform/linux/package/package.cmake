# The Debian package: what goes into it besides the program and its
# XScreenSaver description, and how CPack builds it (scripts/build-deb).

include(GNUInstallDirs)

set(ZARVELLA_PACKAGE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ZARVELLA_HACK_PATH "${ZARVELLA_XSCREENSAVER_HACK_DIR}/zarvella")
# ZARVELLA_MAINTAINER and ZARVELLA_HOMEPAGE: the project's facts (CMakeLists.txt).
# The manual names the home page only when there is one.
set(ZARVELLA_MAN_HOMEPAGE "")
if(ZARVELLA_HOMEPAGE)
  set(ZARVELLA_MAN_HOMEPAGE ".SH \"HOME PAGE\"\n${ZARVELLA_HOMEPAGE}\n")
endif()
# The day of this version, for the changelog and the manual.
set(ZARVELLA_RELEASE_DATE 2026-12-07)
set(ZARVELLA_CHANGELOG_DATE "Mon, 07 Dec 2026 12:00:00 +0000")

# Files that carry the installed path or the version.
configure_file(${ZARVELLA_PACKAGE_DIR}/zarvella-settings.desktop.in
               ${CMAKE_CURRENT_BINARY_DIR}/zarvella-settings.desktop @ONLY)
configure_file(${ZARVELLA_PACKAGE_DIR}/zarvella.desktop.in
               ${CMAKE_CURRENT_BINARY_DIR}/zarvella.desktop @ONLY)
configure_file(${ZARVELLA_PACKAGE_DIR}/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
configure_file(${ZARVELLA_PACKAGE_DIR}/zarvella.6.in ${CMAKE_CURRENT_BINARY_DIR}/zarvella.6.template
               @ONLY)

# The manual page: the template with the option list written in.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/zarvella.6
  COMMAND zarvella_describe man ${CMAKE_CURRENT_BINARY_DIR}/zarvella.6.template
          ${CMAKE_CURRENT_BINARY_DIR}/zarvella.6
  DEPENDS zarvella_describe ${CMAKE_CURRENT_BINARY_DIR}/zarvella.6.template
  VERBATIM)

# Compressed the Debian way: best compression, no name or time stamp inside,
# so two builds give the same bytes.
function(zarvella_gzip source target)
  add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${target}
    COMMAND gzip -9n -c ${source} > ${CMAKE_CURRENT_BINARY_DIR}/${target}
    DEPENDS ${source}
    VERBATIM)
endfunction()
zarvella_gzip(${CMAKE_CURRENT_BINARY_DIR}/zarvella.6 zarvella.6.gz)
zarvella_gzip(${CMAKE_CURRENT_BINARY_DIR}/changelog changelog.gz)
add_custom_target(zarvella_package_files ALL
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/zarvella.6.gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zarvella.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zarvella-settings.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zarvella.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers)
install(FILES ${ZARVELLA_PACKAGE_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
              ${ZARVELLA_PACKAGE_DIR}/README.Debian
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zarvella)
# zarvella on the PATH: the hack itself, through a relative link.
file(RELATIVE_PATH ZARVELLA_BIN_LINK ${CMAKE_INSTALL_FULL_BINDIR} ${ZARVELLA_HACK_PATH})
install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}\")
  file(CREATE_LINK ${ZARVELLA_BIN_LINK} \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}/zarvella\" SYMBOLIC)")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvella)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${ZARVELLA_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # zarvella_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(ZARVELLA_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZARVELLA_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its Wayland platform at run time, so no library names it: a
# Wayland session needs the plugin itself. dpkg-shlibdeps adds the rest.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-wayland)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The synopsis, then the long description; CPack indents its lines and turns
# the empty one into the paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "kaleidoscope of fading teeth, for XScreenSaver
Zarvella draws a slowly changing, lit, translucent figure with OpenGL: a
triangulated surface from one of ten trigonometric formula sets, drawn
several times over, each copy turned about the viewing axis.

The package holds the XScreenSaver hack with its settings page (speed,
brightness, size, segments, detail, picture, random picture), the
stand-alone saver with its own settings window, and the manual page.

XScreenSaver cannot be told about the hack automatically: each user adds
one line to ~/.xscreensaver, as /usr/share/doc/zarvella/README.Debian
explains. mate-screensaver lists it at once.")
include(CPack)
