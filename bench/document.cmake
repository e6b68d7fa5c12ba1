# Opening and decoding books against glibc iconv on the same bytes.
lt_add_bench(decode SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_decode.cpp LIBS lt_document lt_bookgen Iconv::Iconv)
