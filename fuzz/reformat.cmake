# Both reformats and the garbled-character repair on arbitrary text and options.
lt_add_fuzzer(reformat SOURCES fuzz_reformat.cpp LIBS lt_reformat)
