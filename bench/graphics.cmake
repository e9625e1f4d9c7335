# The software drawing benchmark runs SDL2's own software blitters on the same pixels for comparison.
set(BENCH_LIBS_graphics olvarn_graphics SDL2::SDL2)
