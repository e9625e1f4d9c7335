# The mixer benchmark compares against SDL2's own mixing routine, linked here only.
set(BENCH_LIBS_sound olvarn_platform SDL2::SDL2)
