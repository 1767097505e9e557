import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// The push button of every dialog and form. Its kind (default, cancel or neither) picks the
// colour; hover and press shades derive from it.
Button {
    id: control

    property bool isDefault: false
    property bool isCancel: false
    property bool highVisMode: false
    property color normalColor: isDefault ? "#26a5de" : (isCancel ? "#de2926" : "#525252")
    property color hoverColor: Qt.lighter(normalColor, 1.25)
    property color activeColor: Qt.lighter(normalColor, 0.64)
    property color backgroundColorToUse: enabled ? normalColor : Qt.lighter("#525252", 0.8)
    property url imageSource: ""
    readonly property bool hasImageSource: imageSource.toString() !== ""
    property ZarnToolTip toolTip: ZarnToolTip {
        parent: control
        delay: 500
        visible: control.hovered && text !== ""
    }

    implicitHeight: highVisMode ? 35 : 25
    implicitWidth: implicitContentWidth + (highVisMode ? 35 : 25)
    focusPolicy: Qt.StrongFocus
    font: theme.default_font

    ZarnTheme {
        id: theme
    }

    // A button holding the focus shows its hover shade even without the mouse, so the
    // default button of a window reads as the one Return will press.
    background: Rectangle {
        radius: 3
        color: (control.enabled && (control.hovered || control.focus))
               ? (control.pressed ? control.activeColor : control.hoverColor)
               : control.backgroundColorToUse

        FocusHighlight {
            objectName: "focusHighlight"
            anchors.fill: parent
            visible: control.activeFocus
        }
    }

    contentItem: Item {
        implicitWidth: content.implicitWidth
        implicitHeight: content.implicitHeight

        Row {
            id: content
            anchors.centerIn: parent
            spacing: 6

            Image {
                objectName: "icon"
                anchors.verticalCenter: parent.verticalCenter
                source: control.imageSource
                fillMode: Image.PreserveAspectFit
                visible: control.hasImageSource
            }
            Text {
                objectName: "caption"
                anchors.verticalCenter: parent.verticalCenter
                text: control.text
                font: control.font
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                color: control.down ? "silver" : "white"
                opacity: control.enabled ? 1.0 : 0.3
            }
        }
    }
}
