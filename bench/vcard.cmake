# Benchmarks of this area: kiv_add_bench(<name>).
kiv_add_bench(vcard)
# KDE's vCard reader is the peer that the vCard parse is measured against;
# only the benchmark links it, never the program.
find_package(KF5Contacts REQUIRED)
target_link_libraries(bench_vcard PRIVATE KF5::Contacts)
