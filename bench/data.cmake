# The data layer's benchmark compares against TinyXML, which the data layer links already.
set(BENCH_LIBS_data tilvan_data)
