# `cpack -G DEB` in the build folder makes peltose_<version>_<arch>.deb.
set(CPACK_PACKAGE_NAME peltose)
set(CPACK_PACKAGE_VENDOR "The PeltoSE developers")
set(CPACK_PACKAGE_CONTACT "The PeltoSE developers <peltose@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small media player that steps by frames and records sound")
set(CPACK_PACKAGE_DESCRIPTION "PeltoSE plays audio and video files in a small window or full screen.
It steps through a medium by seconds or single frames, changes speed,
volume and mute, loops, and records sound from the default input into a
WAV file. Media keys and desktop remote controls reach it over MPRIS.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Shared libraries come from dpkg-shlibdeps; the engine also needs these at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio | gstreamer1.0-pipewire")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, fluid-soundfont-gm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Every Debian package carries its copyright and changelog, and a command its manual page.
set(pelto_docdir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
set(pelto_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
set(pelto_manpage ${CMAKE_BINARY_DIR}/packaging/peltose.1.gz)
add_custom_command(
    OUTPUT ${pelto_changelog} ${pelto_manpage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/changelog > ${pelto_changelog}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/peltose.1 > ${pelto_manpage}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_SOURCE_DIR}/packaging/peltose.1
    VERBATIM)
add_custom_target(package_docs ALL DEPENDS ${pelto_changelog} ${pelto_manpage})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${pelto_changelog} DESTINATION ${pelto_docdir})
install(FILES ${pelto_manpage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

include(CPack)
