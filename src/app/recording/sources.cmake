# sources of src/app/recording
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/recording_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/srt_journal.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recording_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/disk_reserve.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unfinished_recordings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recording_workflow.cpp)
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/qt_recording_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/station_recording.cpp)
