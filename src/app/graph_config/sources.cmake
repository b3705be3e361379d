# sources of src/app/graph_config: the capture configuration dialog
target_sources(wellvue_app PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/edit_graph_config.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graph_config_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/graph_config_form_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/megabytes_text.cpp
)
