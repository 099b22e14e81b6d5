# slider-gallery: every orientation and rail style of the slider control, for looking at.
# It loads the control library by class name like any host, so it only needs the headers.
add_executable(slider-gallery ${CMAKE_CURRENT_LIST_DIR}/slider-gallery/main.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/slider-gallery/EventLine.h)
target_link_libraries(slider-gallery PRIVATE ptSlider_api Qt6::Widgets)
add_dependencies(slider-gallery ptSlider)
pelto_warnings(slider-gallery)
