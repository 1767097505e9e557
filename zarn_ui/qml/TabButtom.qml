import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import Qt5Compat.GraphicalEffects

// The older tab button: always bold, hover shade in every state, no top stripe.
TabButton {
    id: control

    text: qsTr("Tab")
    readonly property bool isSelected: TabBar.tabBar !== null && TabBar.tabBar.currentIndex === TabBar.index
    property int imageMargin: 5
    property url source

    width: 1.2 * implicitWidth
    font.bold: true

    ZarnTheme {
        id: theme
    }

    contentItem: Item {
        implicitWidth: icon.width + control.imageMargin + caption.implicitWidth
        implicitHeight: caption.implicitHeight

        Image {
            id: icon
            anchors.verticalCenter: parent.verticalCenter
            source: control.source
            fillMode: Image.PreserveAspectFit
            layer.enabled: !control.enabled && control.source.toString() !== ""
            layer.effect: ColorOverlay {
                color: "gray"
            }
        }
        Text {
            id: caption
            x: icon.width + control.imageMargin
            height: parent.height
            text: control.text
            font: control.font
            verticalAlignment: Text.AlignVCenter
            color: control.isSelected ? theme.tab_selected_text_color : theme.default_text_header_color
        }
    }

    background: Rectangle {
        color: control.hovered ? theme.default_bg_hover_color
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
        }
    }
}
