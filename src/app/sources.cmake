# Application shell: start-up helpers, window, photo provider, file dialogs, scene set-up.
list(APPEND KIV_SOURCES
    src/app/birthdayvalidator.h
    src/app/birthdayvalidator.cpp
    src/app/contactsimageprovider.h
    src/app/contactsimageprovider.cpp
    src/app/customqtquick2applicationviewer.h
    src/app/customqtquick2applicationviewer.cpp
    src/app/filedialog.h
    src/app/filedialog.cpp
    src/app/kivintegration.h
    src/app/kivintegration.cpp
    src/app/localpeer.h
    src/app/localpeer.cpp
    src/app/phonevalidator.h
    src/app/phonevalidator.cpp
    src/app/qtquick2applicationviewer.h
    src/app/qtquick2applicationviewer.cpp
    src/app/qtsingleapplication.h
    src/app/qtsingleapplication.cpp
    src/app/scenesetup.h
    src/app/scenesetup.cpp
    src/app/startup.h
    src/app/startup.cpp
    src/app/windowgeometry.h
    src/app/windowgeometry.cpp
)
