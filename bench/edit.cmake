# Switching a 10-million-character book into the edit view and back, typing in it and saving it, through
# the whole reader on the offscreen platform.
lt_add_bench(edit SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_edit.cpp LIBS lt_app_widgets lt_bookgen)
