# The main scene and the scenes it opens.
list(APPEND KIV_QML_FILES
    main.qml
)
