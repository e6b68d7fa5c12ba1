# Script conversion of what a full-screen spread shows, and whole-text throughput.
lt_add_bench(convert SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_convert.cpp LIBS lt_convert)
