# Installation with the usual Linux layout: the command `peltose`, the slider control and the decoders in the
# program's private library folder, the demo clip, and the desktop integration files.

# The private library folder is the multiarch one whatever prefix is given at install time;
# GNUInstallDirs (already included by Qt's package files) picks it for /usr only.
include(GNUInstallDirs)
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
    set_property(CACHE CMAKE_INSTALL_LIBDIR PROPERTY VALUE "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
    set(CMAKE_INSTALL_LIBDIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}")
    include(GNUInstallDirs)
endif()

set(PELTO_APP_ID io.github.peltose.PeltoSE)
set(PELTO_SLIDER_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/peltose)

# The program finds the control relative to itself, so a moved prefix or DESTDIR staging works.
if(IS_ABSOLUTE "${PELTO_SLIDER_INSTALL_DIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
    set(pelto_slider_dir "${CMAKE_INSTALL_FULL_LIBDIR}/peltose")
else()
    file(RELATIVE_PATH pelto_slider_dir /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${PELTO_SLIDER_INSTALL_DIR})
endif()
target_compile_definitions(pelto_windows PRIVATE PELTO_SLIDER_DIR="${pelto_slider_dir}")
target_compile_definitions(pelto_mci PRIVATE PELTO_CODECS_DIR="${pelto_slider_dir}")
target_compile_definitions(PeltoSE PRIVATE PELTO_APP_ID="${PELTO_APP_ID}")

# The build tree keeps the name tests and scripts know; installed, it is a Linux command name.
install(PROGRAMS $<TARGET_FILE:PeltoSE> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME peltose)
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/peltose\")
    endif()")
install(TARGETS ptSlider gstpeltocodecs LIBRARY DESTINATION ${PELTO_SLIDER_INSTALL_DIR})
install(FILES ${CMAKE_BINARY_DIR}/bin/demo.mpg DESTINATION ${CMAKE_INSTALL_DATADIR}/peltose)

add_subdirectory(${CMAKE_SOURCE_DIR}/data ${CMAKE_BINARY_DIR}/data)
include(PeltoPackage)
