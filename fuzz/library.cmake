# Bookmark files: listing, reading, sorting and adding over random bytes.
lt_add_fuzzer(bookmarks SOURCES fuzz_bookmarks.cpp LIBS lt_library)
