# Bookmark file and dialogs over 10,000 bookmarks.
lt_add_bench(bookmarks SOURCES bench_bookmarks.cpp LIBS lt_library_widgets)
