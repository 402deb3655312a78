# Benchmarks of the application shell.
kiv_add_bench(photos)
