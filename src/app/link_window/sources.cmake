# sources of src/app/link_window: target_sources(wellvue_app PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file.cpp ...)
