# Benchmarks of this area: kiv_add_bench(<name>).
