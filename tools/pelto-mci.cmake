# pelto-mci: sends command strings to the media control engine from the command line.
add_executable(pelto-mci ${CMAKE_CURRENT_LIST_DIR}/pelto-mci/main.cpp)
target_link_libraries(pelto-mci PRIVATE pelto_mci Qt6::Widgets)
pelto_warnings(pelto-mci)
