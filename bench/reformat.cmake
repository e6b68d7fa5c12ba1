# Reformat throughput on a generated 10-million-character hard-wrapped book.
lt_add_bench(reformat SOURCES bench_reformat.cpp LIBS lt_reformat)
