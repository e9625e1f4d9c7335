# The first-frame benchmark starts a whole application (window, display, widget tree) in a child run.
set(BENCH_LIBS_firstframe olvarn_app olvarn_widgets olvarn_resources olvarn_graphics olvarn_platform)
