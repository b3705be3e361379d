# sources of src/app/recording: the workflow's window host and the station's recording
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/qt_recording_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/station_recording.cpp)
