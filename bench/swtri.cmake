# The rasteriser benchmark draws the same triangles through SDL2's software renderer for comparison,
# and the menu's sun from the generated art (the resources read it).
set(BENCH_LIBS_swtri olvarn_swtri olvarn_graphics olvarn_resources SDL2::SDL2)
