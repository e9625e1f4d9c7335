# The readers' benchmark compares against giflib, linked here only.
set(BENCH_LIBS_readers olvarn_resources gif)
