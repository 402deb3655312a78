# Tests of the contact details, the editor and the settings and import/export
# forms, each driving the real main scene under xvfb.
kiv_add_test(detailsscene GUI QML SOURCES scenedriver.cpp)
kiv_add_test(formsscene GUI QML SOURCES scenedriver.cpp)
kiv_add_test(scenetrust GUI QML SOURCES scenedriver.cpp)

# The address book file locked, full, read-only or of an older version.
kiv_add_test(storefailures GUI QML SOURCES scenedriver.cpp)
# Call and text message with no program for them; birthdays without a year.
kiv_add_test(detailsflows GUI QML SOURCES scenedriver.cpp)

# Undo, the wider search, the keyboard, the first start, the window's place.
kiv_add_test(comforts GUI QML SOURCES scenedriver.cpp)

# Finding, merging and marking duplicates.
kiv_add_test(duplicatesscene GUI QML SOURCES scenedriver.cpp)
