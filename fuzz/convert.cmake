# Script conversion on arbitrary UTF-16 (unpaired surrogates, NULs) and ranges.
lt_add_fuzzer(convert SOURCES fuzz_convert.cpp LIBS lt_convert)
