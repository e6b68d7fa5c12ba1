# Search in the book over a generated ten-million-character book, against one grep pass.
lt_add_bench(search SOURCES bench_search.cpp searchbook.h LIBS lt_search)

# The search pane over the same book: time to list every hit and the longest GUI stall.
if(TARGET lt_search_widgets)
  lt_add_bench(searchpane SOURCES bench_searchpane.cpp searchbook.h LIBS lt_search_widgets)
endif()
