# Benchmarks of this area: kiv_add_bench(<name>).
kiv_add_bench(storage)
target_link_libraries(bench_storage PRIVATE Qt5::Sql)
