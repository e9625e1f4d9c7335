# The widget benchmark walks a tree of 1000 widgets; its baseline is a plain loop over the same objects.
set(BENCH_LIBS_widgets olvarn_widgets olvarn_resources olvarn_graphics olvarn_app)
