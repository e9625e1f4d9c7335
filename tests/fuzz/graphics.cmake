# The drawing fuzz target needs the graphics library (and what it links).
set(FUZZ_LIBS_graphics olvarn_graphics)
