import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// Tab of the main window's mode bar.
TabButton {
    id: control

    text: qsTr("Tab")
    readonly property bool isSelected: TabBar.tabBar !== null && TabBar.tabBar.currentIndex === TabBar.index
    property color selectedColor: "white"
    property color hoverColor: "dimgray"

    implicitHeight: 35
    width: 1.2 * implicitWidth
    font.pixelSize: 14

    ZarnTheme {
        id: theme
    }

    contentItem: Text {
        objectName: "caption"
        text: control.text
        font.family: control.font.family
        font.pixelSize: control.font.pixelSize
        font.bold: control.isSelected
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        color: !control.enabled ? "dimgray" : control.isSelected ? "white" : "gray"
    }

    background: Rectangle {
        color: (!control.isSelected && control.hovered) ? Qt.lighter(theme.default_bg_color, 1.3) : "transparent"

        Rectangle {
            objectName: "topStripe"
            width: parent.width
            height: 3
            color: control.isSelected ? control.selectedColor : control.hoverColor
            visible: control.isSelected || control.hovered
        }
    }

    // Shows the hand over tabs that can still be chosen; takes no clicks itself.
    MouseArea {
        objectName: "cursorArea"
        anchors.fill: parent
        acceptedButtons: Qt.NoButton
        cursorShape: control.isSelected ? Qt.ArrowCursor : Qt.PointingHandCursor
    }
}
