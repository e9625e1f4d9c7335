set(FUZZ_LIBS_http olvarn_app)
