target_sources(wellvue_app PRIVATE ${CMAKE_CURRENT_LIST_DIR}/text_bridge.cpp)
