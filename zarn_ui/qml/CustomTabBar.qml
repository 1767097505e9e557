import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import QtQuick.Layouts

// Header tabs of a panel. The light line along the bottom leaves a gap under the current
// tab, so the selected tab opens into the panel below it.
Item {
    id: root

    default property alias contents: tabBar.contentData
    property alias currentIndex: tabBar.currentIndex
    readonly property alias tabBar: tabBar

    implicitWidth: row.implicitWidth
    implicitHeight: Math.floor(row.implicitHeight)

    ZarnTheme {
        id: theme
    }

    RowLayout {
        id: row
        anchors.fill: parent
        spacing: 0

        TabBar {
            id: tabBar
            spacing: 0
            currentIndex: 4
            font: theme.default_font
            background: Rectangle {
                color: theme.default_bg_unselected_color
            }
        }
        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: tabBar.height
            color: Qt.darker(theme.default_bg_unselected_color, 1.0)

            Rectangle {
                y: parent.height - 2
                width: parent.width
                height: 1
                color: theme.bevel_dark_color
            }
            Rectangle {
                y: parent.height - 1
                width: parent.width
                height: 1
                color: theme.bevel_light_color
            }
        }
    }

    Rectangle {
        id: lineBeforeCurrent
        objectName: "lineBeforeCurrent"
        z: 10
        x: 0
        y: tabBar.height - 1
        width: tabBar.currentItem ? tabBar.currentItem.x : 0
        height: 1
        color: theme.bevel_light_color
    }
    Rectangle {
        id: lineAfterCurrent
        objectName: "lineAfterCurrent"
        z: 10
        x: tabBar.currentItem ? tabBar.currentItem.x + tabBar.currentItem.width : 0
        y: tabBar.height - 1
        width: tabBar.currentItem ? tabBar.contentWidth - tabBar.currentItem.x - tabBar.currentItem.width + 1 : 0
        height: 1
        color: theme.bevel_light_color
    }
}
