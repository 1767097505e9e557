import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects

// Header tab of a panel, placed in a CustomTabBar.
TabButton {
    id: control

    text: qsTr("Tab")
    readonly property bool isSelected: TabBar.tabBar !== null && TabBar.tabBar.currentIndex === TabBar.index
    property url source
    property bool showHoverEffect: false
    property real iconScale: 1.0
    property color selectedColor: "transparent"
    property color hoverColor: "dimgray"
    property ZarnToolTip toolTip: ZarnToolTip {
        parent: control
        delay: 500
        visible: control.hovered && text !== ""
    }

    readonly property bool hoverShown: hovered && showHoverEffect

    width: Math.floor(1.3 * implicitContentWidth)
    font.bold: isSelected

    ZarnTheme {
        id: theme
    }

    TextMetrics {
        id: captionMetrics
        font: theme.default_font
        text: control.text
    }

    contentItem: Item {
        implicitWidth: Math.floor(icon.width + 1.2 * captionMetrics.advanceWidth)
        implicitHeight: Math.floor(1.5 * caption.implicitHeight)

        RowLayout {
            anchors.fill: parent
            spacing: 0

            Item {
                Layout.fillWidth: true
            }
            Image {
                id: icon
                Layout.alignment: Qt.AlignVCenter
                source: control.source
                sourceSize.height: 0.8 * caption.implicitHeight * control.iconScale
                fillMode: Image.PreserveAspectFit
                layer.enabled: control.source.toString() !== ""
                layer.effect: ColorOverlay {
                    color: !control.enabled ? "dimgray" : control.isSelected ? "white" : "gray"
                }
            }
            Text {
                id: caption
                objectName: "caption"
                Layout.alignment: Qt.AlignVCenter
                text: control.text
                font: control.font
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                color: control.isSelected ? theme.tab_selected_text_color : theme.default_text_header_color
            }
            Item {
                Layout.fillWidth: true
            }
        }
    }

    background: Rectangle {
        color: control.hoverShown ? theme.default_bg_hover_color
             : control.isSelected ? theme.default_bg_color
             : theme.default_bg_unselected_color

        Rectangle {
            y: parent.height - 2
            width: parent.width
            height: 1
            color: theme.bevel_dark_color
            visible: !control.isSelected
        }
        Rectangle {
            y: parent.height - 1
            width: parent.width
            height: 1
            color: theme.bevel_light_color
            visible: !control.isSelected
        }
        BasicBevel {
            hide_bottom: true
        }
        Rectangle {
            objectName: "topStripe"
            width: parent.width
            height: 3
            color: control.isSelected ? (control.hoverShown ? "white" : control.selectedColor)
                 : control.hoverShown ? control.hoverColor
                 : "transparent"
            visible: control.isSelected || control.hovered
        }
    }
}
