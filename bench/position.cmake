# Page turns in the whole reader on the offscreen platform, and what they cost the settings file.
lt_add_bench(position SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_position.cpp LIBS lt_app_widgets lt_bookgen)
