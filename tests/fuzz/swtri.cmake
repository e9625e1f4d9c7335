# The rasteriser fuzz target needs only the rasteriser (and what its library links).
set(FUZZ_LIBS_swtri olvarn_swtri olvarn_graphics)
