set(BENCH_LIBS_display olvarn_graphics olvarn_platform SDL2::SDL2)
