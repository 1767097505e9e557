import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects

// Square gradient button of the transport bar. Takes focus by Tab only, so that clicking
// it on the main window does not leave the focus overlay behind.
DelayButton {
    id: control

    property color textColor: "silver"
    property bool showText: false
    property bool toggled: false
    property bool colorToggledOn: false
    property bool radiant: false
    property bool showDownChevron: false
    property var imageSource
    property var toggledOnImageSource
    property int pressOffsetX: 2
    property int pressOffsetY: 4
    property ZarnToolTip toolTip: ZarnToolTip {
        parent: control
        delay: 500
        visible: control.hovered && text !== ""
    }

    readonly property var shownImageSource: (toggled && toggledOnImageSource) ? toggledOnImageSource
                                                                               : (imageSource ?? "")
    readonly property color gradientTopColor: !enabled ? "#181818"
                                            : pressed ? Qt.lighter(Qt.lighter("#181818", 0.4), 1.5)
                                            : hovered ? Qt.lighter(Qt.lighter("#181818", 0.6), 1.5)
                                            : "#000000"
    readonly property color gradientBottomColor: !enabled ? (pressed ? "#303030" : "#333333")
                                               : pressed ? Qt.lighter(Qt.lighter("#282828", 0.8), 1.5)
                                               : hovered ? Qt.lighter("#222222", 1.5)
                                               : "#333333"
    readonly property real iconOpacity: (enabled && !pressed) ? 1.0 : 0.5

    implicitHeight: 52
    implicitWidth: implicitHeight
    padding: 0
    focusPolicy: Qt.TabFocus
    font: theme.default_font

    // Return only: keypad Enter is left alone.
    Keys.onReturnPressed: control.clicked()

    ZarnTheme {
        id: theme
    }

    background: Item {
        Rectangle {
            id: gradientRect
            anchors.fill: parent
            gradient: Gradient {
                GradientStop {
                    position: 0.0
                    color: control.gradientTopColor
                }
                GradientStop {
                    position: 1.0
                    color: control.gradientBottomColor
                }
            }
        }
        FocusHighlight {
            objectName: "focusHighlight"
            anchors.fill: parent
            visible: control.activeFocus
        }
        Colorize {
            id: radiantLayer
            objectName: "radiantLayer"
            anchors.fill: gradientRect
            source: gradientRect
            hue: 0.547
            saturation: 0.87
            lightness: 0.10
            visible: control.radiant && control.enabled

            SequentialAnimation on hue {
                running: radiantLayer.visible
                loops: Animation.Infinite
                NumberAnimation { to: 0.547; duration: 800 }
                NumberAnimation { to: 0.58; duration: 800 }
            }
        }
    }

    contentItem: Item {
        ColumnLayout {
            anchors.fill: parent
            spacing: 0

            Item {
                Layout.fillHeight: true
            }
            Item {
                id: iconBox
                objectName: "iconBox"
                Layout.preferredWidth: 22
                Layout.preferredHeight: 22
                Layout.alignment: Qt.AlignHCenter
                transform: Translate {
                    x: control.pressed ? control.pressOffsetX : 0
                    y: control.pressed ? control.pressOffsetY : 0
                }

                Image {
                    id: icon
                    objectName: "icon"
                    anchors.fill: parent
                    source: control.shownImageSource
                    fillMode: Image.PreserveAspectFit
                    opacity: control.iconOpacity
                }
                Colorize {
                    objectName: "toggledTint"
                    anchors.fill: icon
                    source: icon
                    hue: 0.547
                    saturation: 0.82
                    lightness: -0.3
                    visible: control.toggled && control.colorToggledOn && control.enabled
                }
            }
            Text {
                objectName: "caption"
                Layout.fillWidth: true
                text: control.text
                font: theme.default_font
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                color: control.down ? Qt.lighter(control.textColor, 0.75) : control.textColor
                opacity: control.enabled ? 1.0 : 0.3
                visible: control.showText
            }
            Item {
                Layout.fillHeight: true
            }
        }

        Image {
            objectName: "chevron"
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.rightMargin: control.pressed ? control.pressOffsetX : control.pressOffsetX + 3
            anchors.bottomMargin: control.pressed ? control.pressOffsetY : control.pressOffsetY + 3
            source: "qrc:/images/arrow_drop_down.svg"
            fillMode: Image.PreserveAspectFit
            opacity: control.iconOpacity
            visible: control.showDownChevron
        }
    }
}
