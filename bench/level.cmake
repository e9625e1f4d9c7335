# The level benchmark runs the bot (bin/tamberlo-bot --bench) in child processes; it links nothing of ours.
set(BENCH_LIBS_level)
