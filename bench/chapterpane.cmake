# A refresh of the chapter pane over a ten-million-character book, and how long the GUI thread stalls.
if(TARGET lt_chapters_widgets)
  lt_add_bench(chapterpane SOURCES bench_chapterpane.cpp LIBS lt_chapters_widgets)
endif()
