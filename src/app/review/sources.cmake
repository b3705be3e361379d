# sources of src/app/review: the review window of a recording by depth
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/deliverable_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/depth_ruler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/profile_plot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/review_deliverables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/review_photo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/review_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/review_window.cpp)
