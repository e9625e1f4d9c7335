# The particle benchmark: 5,000 live particles with actions stepped and drawn additively in software
# onto 16- and 32-bit screens of the fake display.
set(BENCH_LIBS_particles tilvan_world tilvan_board tilvan_shell tilvan_data olvarn_graphics olvarn_platform)
