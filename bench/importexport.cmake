# Benchmarks of this area: kiv_add_bench(<name>).
kiv_add_bench(csv)
kiv_add_bench(export)
kiv_add_bench(import)
kiv_add_bench(largeimport)
kiv_add_bench(encodings)
# vCard export with photos; an import into a book that holds its contacts already.
kiv_add_bench(roundtrip)
target_link_libraries(bench_roundtrip PRIVATE kivtestsupport)
