import QtQuick 2.0

Rectangle {
    id: root
}
