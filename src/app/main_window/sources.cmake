# The main window: image buttons, capture view, layout and colour rules, the form and its icons.
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/image_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/layout_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colour_scheme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/svg_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/frame_slot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_scheduler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/station_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_form_design.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_form_buttons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_form_colours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_form_panels.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_form_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_chooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/observation_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fit_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recording_mark.cpp
  ${CMAKE_CURRENT_LIST_DIR}/station.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window.qrc)
