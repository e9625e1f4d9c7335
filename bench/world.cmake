# The world benchmark: a level's creatures, birds and water stepped and drawn frame by frame.
set(BENCH_LIBS_world tilvan_world tilvan_board tilvan_shell tilvan_data)
