# Book decoding, line-end normalisation and the line reader over arbitrary bytes.
lt_add_fuzzer(document SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_document.cpp LIBS lt_document)
