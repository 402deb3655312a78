# Import/export backend, file type detection, CSV and database import and export.
list(APPEND KIV_SOURCES
)
