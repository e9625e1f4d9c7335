# The start-up benchmark runs the game application on the laid-out data set in bin/.
set(BENCH_LIBS_startup tilvan_shell)
