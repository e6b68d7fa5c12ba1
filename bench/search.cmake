# Search in the book over a generated ten-million-character book, against one grep pass.
lt_add_bench(search SOURCES bench_search.cpp LIBS lt_search)
