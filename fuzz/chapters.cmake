# Condition file bytes and book text through the chapter search, the scanner checked against the engine.
lt_add_fuzzer(chapters SOURCES fuzz_chapters.cpp LIBS lt_chapters)
