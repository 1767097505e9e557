import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import Qt5Compat.GraphicalEffects

// Icon-over-caption button of the edit bar. Pressed, it moves onto its own shadow.
Item {
    id: root

    property string text: ""
    property url imageSource: ""
    property real imageWidth: 18
    property real imageHeight: 18
    property alias imageSourceSize: icon.sourceSize
    property bool showImage: true
    property int offsetSize: 2
    readonly property bool hasImageSource: imageSource.toString() !== ""
    property ZarnToolTip toolTip: ZarnToolTip {
        parent: root
        delay: 500
        visible: inner.hovered && text !== ""
    }

    signal clicked()

    implicitWidth: 64
    implicitHeight: (showImage && hasImageSource) ? 42 : 42 - 24

    ZarnTheme {
        id: theme
    }

    DropShadow {
        objectName: "shadow"
        z: -1
        anchors.fill: inner
        source: inner
        transparentBorder: true
        horizontalOffset: inner.pressed ? 0 : root.offsetSize
        verticalOffset: inner.pressed ? 0 : root.offsetSize
        radius: 8.0
        spread: 0.0
        samples: 16
        color: "#66000000"
    }

    Button {
        id: inner
        objectName: "innerButton"
        width: root.width
        height: root.height
        x: pressed ? root.offsetSize : 0
        y: pressed ? root.offsetSize : 0
        focusPolicy: Qt.TabFocus

        onClicked: root.clicked()
        Keys.onReturnPressed: root.clicked()

        background: Rectangle {
            color: !inner.enabled ? Qt.lighter(theme.default_bg_color, 1.35)
                 : (inner.pressed || inner.hovered) ? Qt.lighter(theme.default_bg_color, 1.3)
                 : theme.default_bg_color

            BasicBevel {
                bevel_width: 1
            }
            FocusHighlight {
                objectName: "focusHighlight"
                anchors.fill: parent
                visible: inner.activeFocus
            }
        }

        contentItem: Item {
            Image {
                id: icon
                objectName: "icon"
                anchors.top: parent.top
                anchors.horizontalCenter: parent.horizontalCenter
                width: root.imageWidth
                height: visible ? root.imageHeight : 0
                source: root.imageSource
                fillMode: Image.PreserveAspectFit
                smooth: true
                clip: true
                opacity: root.enabled ? 1.0 : 0.3
                visible: root.hasImageSource && root.showImage
            }
            Text {
                objectName: "caption"
                anchors.top: icon.visible ? icon.bottom : parent.top
                anchors.bottom: parent.bottom
                anchors.left: parent.left
                anchors.right: parent.right
                text: root.text
                font.pixelSize: 9
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                color: !root.enabled ? "#666666" : inner.hovered ? "white" : "silver"
            }
        }
    }
}
