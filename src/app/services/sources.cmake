# Qt services for the core logic: text bridge, prompter, handler boundary, engine report box
# the poster that brings reader-thread results to the GUI thread, and Qt's French texts.
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/text_bridge.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_prompter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/handler_boundary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gui_poster.cpp
  ${CMAKE_CURRENT_LIST_DIR}/french_translations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quit_signals.cpp)
