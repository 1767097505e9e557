import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// A flat progress bar. After each change of the value a bright sheen draws together into the
// leading edge of the fill.
ProgressBar {
    id: control

    property color fillColor: "#26a5de"
    property color backgroundColor: "#525252"
    property int boxRadius: 3
    property int barHeight: 12

    // The middle stop of the tip's gradient.
    property real glintPosition: 0
    readonly property real tipWidth: control.visualPosition * 64 > control.boxRadius ? control.visualPosition * 64 : 0
    readonly property bool tipNearEnd: control.visualPosition * bar.width <= control.boxRadius
                                       || (1 - control.visualPosition) * bar.width <= control.boxRadius

    // The tip may not have caught up with the new value yet when the value changes, so the
    // glint's end is worked out from the value itself.
    function tipWidthFor(value) {
        const range = control.to - control.from;
        const position = range !== 0 ? Math.max(0, Math.min(1, (value - control.from) / range)) : 0;
        const width = position * 64;
        return width > control.boxRadius ? width : 0;
    }

    function restartGlint() {
        const width = control.tipWidthFor(control.value);
        glint.to = width > 1 ? (width - 1) / width : 0.0;
        glint.restart();
    }

    onValueChanged: restartGlint()
    Component.onCompleted: restartGlint()

    NumberAnimation {
        id: glint
        target: control
        property: "glintPosition"
        from: 0.0
        duration: 1000
    }

    background: Rectangle {
        implicitHeight: control.barHeight
        color: control.backgroundColor
        radius: control.boxRadius
    }

    contentItem: Item {
        id: bar
        implicitHeight: control.barHeight
        clip: true

        Rectangle {
            id: fill
            objectName: "fill"
            width: control.visualPosition * bar.width
            height: bar.height
            radius: control.boxRadius
            color: control.fillColor
            clip: true

            Rectangle {
                objectName: "tip"
                anchors.right: parent.right
                width: control.tipWidth
                height: parent.height
                radius: control.tipNearEnd ? control.boxRadius : 0
                color: control.fillColor
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop {
                        position: 0.0
                        color: control.fillColor
                    }
                    GradientStop {
                        position: Math.max(0, Math.min(1, control.glintPosition))
                        color: control.fillColor
                    }
                    GradientStop {
                        position: 1.0
                        color: Qt.lighter(control.fillColor, 1.6)
                    }
                }
            }
        }
    }
}
