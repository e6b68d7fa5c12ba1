# Patterns, options and book text through the search in the book.
lt_add_fuzzer(search SOURCES fuzz_search.cpp LIBS lt_search)
