# Pagination of a 10-million-character Chinese book against a plain advance-summing loop, and the
# metrics rebuild.
lt_add_bench(paginate SOURCES bench_paginate.cpp LIBS lt_layout)
