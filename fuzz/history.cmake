# Reading-history database files: opening, checking and querying random bytes, then writing to them.
lt_add_fuzzer(history SOURCES fuzz_history.cpp LIBS lt_history)
