# Benchmarks of the CardDAV sync; they start a Radicale of their own.
kiv_add_bench(sync)
target_link_libraries(bench_sync PRIVATE kivdavserver)
