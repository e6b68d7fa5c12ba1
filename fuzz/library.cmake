# Bookmark files: listing, reading, sorting and adding over random bytes.
lt_add_fuzzer(bookmarks SOURCES fuzz_bookmarks.cpp LIBS lt_library)
# Bookshelf files: reading random bytes, and what the list writes reading back the same.
lt_add_fuzzer(bookshelf SOURCES fuzz_bookshelf.cpp LIBS lt_library)
