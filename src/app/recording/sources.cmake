# sources of src/app/recording: the workflow's window host, the station's recording and its photos' writer
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/photo_writer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_recording_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/station_recording.cpp)
