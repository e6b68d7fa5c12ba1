# Time to produce one page-turn frame of each effect at 1920x1080, spread and single page, at 1x and 2x.
lt_add_bench(turn SOURCES bench_turn.cpp LIBS lt_layout)
