import QtQuick
import com.lanternhillstudios.zarn_ui

// Sunk edge: dark top and left, light right and bottom. The left, right and bottom lines
// lie outside the parent; a clipping parent shows only the dark top line. The hide flags keep
// the names of the raised bevel's lines they stand for, not the edge they now hide.
Item {
    id: bevel

    property int bevel_width: 1
    property color bevel_dark_color: Qt.lighter(bevel.parentColor, 0.9)
    property color bevel_light_color: Qt.lighter(bevel.parentColor, 1.3)
    property bool hide_left: false
    property bool hide_top: false
    property bool hide_bottom: false
    property color bgcolor: "white"
    property bool bgvisible: false

    readonly property color parentColor: (parent && parent.color !== undefined) ? parent.color : "transparent"

    anchors.fill: parent

    ZarnTheme {
        id: theme
    }

    Rectangle {
        anchors.fill: parent
        color: bevel.bgcolor
        visible: bevel.bgvisible
    }
    Rectangle { // just outside the left edge
        x: -width
        width: theme.bevel_width
        height: bevel.height
        color: bevel.bevel_dark_color
    }
    Rectangle { // just outside the right edge
        x: bevel.width
        width: theme.bevel_width
        height: bevel.height
        color: bevel.bevel_light_color
        visible: !bevel.hide_left
    }
    Rectangle { // just below the bottom edge
        y: bevel.height
        width: bevel.width
        height: theme.bevel_width
        color: bevel.bevel_light_color
        visible: !bevel.hide_top
    }
    Rectangle { // top, inside
        y: 0
        width: bevel.width
        height: bevel.bevel_width
        color: bevel.bevel_dark_color
        visible: !bevel.hide_bottom
    }
}
