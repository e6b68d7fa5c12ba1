# Book decoding, line-end normalisation and the line reader over arbitrary bytes.
lt_add_fuzzer(document SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_document.cpp LIBS lt_document)
# Encoding detection and reading in a chosen encoding.
lt_add_fuzzer(detect SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_detect.cpp LIBS lt_document)
