# The premultiplied-table benchmark needs only the graphics library.
set(BENCH_LIBS_nativetable olvarn_graphics)
