# The link window: its design, handlers, view of the link, port scan, terminal launcher, the
# settings file, the subtitle track's view and the SRT re-timing panel.
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/link_window_design.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_link_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lines_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_scan.cpp
  ${CMAKE_CURRENT_LIST_DIR}/terminal_launcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_location.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/retiming_panel_design.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tform1_retiming.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_fit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/elided_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/srt_file_choice.cpp)
