# Benchmarks of this area: kiv_add_bench(<name>).
kiv_add_bench(model)
kiv_add_bench(duplicates)
