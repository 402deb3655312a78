import QtQuick 2.0
import QtGraphicalEffects 1.0

// Drop shadow under another item: it takes the item's place and follows its
// opacity, visibility and scale.
DropShadow {
    id: shadow

    property Item target: null

    anchors.fill: shadow.target
    source: shadow.target
    opacity: shadow.target ? shadow.target.opacity : 1.0
    visible: shadow.target ? shadow.target.visible : false
    scale: shadow.target ? shadow.target.scale : 1.0
    horizontalOffset: 0
    verticalOffset: 5
    radius: 4
    samples: 8
    color: "#66000000"
    transparentBorder: true
    fast: true
}
