# The reading history with 10,000 books: lookup on open, the dialog, fingerprints of a large book.
lt_add_bench(history SOURCES bench_history.cpp LIBS lt_history_widgets)
