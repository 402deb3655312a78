# Application shell: start-up helpers, window, photo provider, file dialogs, scene set-up.
list(APPEND KIV_SOURCES
    src/app/kivintegration.h
    src/app/kivintegration.cpp
)
