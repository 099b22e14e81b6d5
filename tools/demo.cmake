# The demo clip the player opens when started without a file.
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/bin/demo.mpg
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/media/make-media.sh ${CMAKE_BINARY_DIR}/bin demo.mpg
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/media/make-media.sh
    COMMENT "Making the demo clip"
    VERBATIM)
add_custom_target(demo_clip ALL DEPENDS ${CMAKE_BINARY_DIR}/bin/demo.mpg)
