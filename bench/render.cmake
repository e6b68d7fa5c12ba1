# Composing a full-screen reading view: background against memset, spread text, whole pictures.
lt_add_bench(render SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_render.cpp LIBS lt_layout lt_convert)
