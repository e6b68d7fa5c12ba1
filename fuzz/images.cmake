# The BMP decoder and the conversions that run on what it decodes.
lt_add_fuzzer(bmp SOURCES fuzz_bmp.cpp LIBS lt_images)
