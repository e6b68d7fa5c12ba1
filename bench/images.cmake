# Picture decoding against Qt's BMP reader, and composing a full-screen canvas against QPainter.
lt_add_bench(images SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_images.cpp LIBS lt_images)
