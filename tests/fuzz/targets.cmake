# The fuzz targets; tests/data/fuzz/<target>/ holds each one's seeds and
# regression inputs.
set(KIV_FUZZ_TARGETS csv vcard parsefile photo sqlite sync search)
