# Shared controls, overlay forms, the calendar and the images they use.
list(APPEND KIV_QML_FILES
    images/user_128.png
)
