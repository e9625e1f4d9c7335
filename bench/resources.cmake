# The resource benchmark compares the manifest reader against TinyXML (the game's XML library).
set(BENCH_LIBS_resources olvarn_resources tinyxml)
