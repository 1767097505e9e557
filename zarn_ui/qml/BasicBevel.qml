import QtQuick
import com.lanternhillstudios.zarn_ui

// Raised edge: light top and left, dark right and bottom. The bottom line lies just below
// the parent, over whatever borders it. Colours follow the parent's colour live, so hover,
// press and disabled shades carry into the edges.
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
    Rectangle { // right, inside
        x: bevel.width - width
        width: theme.bevel_width
        height: bevel.height
        color: bevel.bevel_dark_color
    }
    Rectangle { // left, inside
        x: 0
        width: theme.bevel_width
        height: bevel.height
        color: bevel.bevel_light_color
        visible: !bevel.hide_left
    }
    Rectangle { // top, inside
        y: 0
        width: bevel.width
        height: theme.bevel_width
        color: bevel.bevel_light_color
        visible: !bevel.hide_top
    }
    Rectangle { // bottom, just outside
        y: bevel.height
        width: bevel.width
        height: bevel.bevel_width
        color: bevel.bevel_dark_color
        visible: !bevel.hide_bottom
    }
}
