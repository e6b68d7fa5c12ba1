# Chapter search over a generated ten-million-character book, against one grep -P pass.
lt_add_bench(chapters SOURCES bench_chapters.cpp LIBS lt_chapters)
