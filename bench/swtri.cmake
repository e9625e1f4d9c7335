# The rasteriser benchmark draws the same triangles through SDL2's software renderer for comparison.
set(BENCH_LIBS_swtri olvarn_swtri olvarn_graphics SDL2::SDL2)
