import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// A plain menu entry. It reads the `theme` of the screen that holds it; the holder supplies
// the onTriggered handler.
MenuItem {
    id: control

    property alias menuText: label.text

    Rectangle {
        objectName: "cover"
        anchors.fill: parent
        color: Qt.darker(theme.default_bg_color, 1.1)

        Text {
            id: label
            objectName: "label"
            anchors.fill: parent
            leftPadding: 10
            topPadding: 10
            color: "white"
            font.pixelSize: theme.default_font.pixelSize
        }
    }
}
