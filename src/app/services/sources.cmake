# sources of src/app/services: target_sources(wellvue_app PRIVATE ${CMAKE_CURRENT_LIST_DIR}/file.cpp ...)
