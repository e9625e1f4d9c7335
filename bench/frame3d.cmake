# A whole frame drawn in software and on the card (OpenGL behind SDL's offscreen driver).
set(BENCH_LIBS_frame3d olvarn_graphics olvarn_platform)
