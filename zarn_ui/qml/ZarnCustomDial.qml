import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// The pan knob of a mixer track: left (-1) to right (1), turned by horizontal drags, snapping
// to the centre notch.
Dial {
    id: control

    property real zeroMark: 0
    property bool showZeroMark: true
    property real snapTolerance: 0.05
    property bool ctrlPressed: false

    readonly property real diameter: Math.max(10, Math.min(width, height))
    readonly property real pointerLength: Math.min(width, height) / 4

    function snapToZeroMark() {
        const range = control.to - control.from;
        if (control.showZeroMark && range !== 0
                && Math.abs(control.value - control.zeroMark) / Math.abs(range) < control.snapTolerance)
            control.value = control.zeroMark;
    }

    value: 0.0
    from: -1
    to: 1
    implicitWidth: 25
    implicitHeight: 25
    inputMode: Dial.Horizontal

    // Runs before any holder's own handler, so holders pass the snapped value on.
    onMoved: snapToZeroMark()

    background: Rectangle {
        objectName: "dialBody"
        x: (control.width - width) / 2
        y: (control.height - height) / 2
        width: control.diameter
        height: control.diameter
        radius: width / 2
        color: control.pressed || control.hovered ? Qt.lighter("#69696a", 1.3) : "#69696a"
        opacity: control.enabled ? 1 : 0.3

        Rectangle {
            objectName: "ctrlDisc"
            anchors.fill: parent
            radius: width / 2
            color: "blue"
            visible: control.ctrlPressed
        }

        // Behind the body, raised by half the pointer: only its top shows above the dial.
        Rectangle {
            objectName: "notch"
            x: (parent.width - width) / 2
            y: -control.pointerLength / 2
            z: -50
            width: 3
            height: parent.height
            radius: 1
            color: "lime"
            visible: control.showZeroMark
        }
    }

    handle: Rectangle {
        objectName: "pointer"
        x: (control.width - width) / 2
        y: (control.height - control.diameter) / 2
        width: 2
        height: control.pointerLength
        color: "#2d2d2d"
        antialiasing: true
        transform: Rotation {
            origin.x: 1
            origin.y: control.diameter / 2
            angle: control.angle
        }
    }

    Text {
        objectName: "leftLabel"
        id: leftLabel
        x: 0
        y: control.height - height / 2
        text: "L"
        color: "white"
        font.pixelSize: 7
    }
    Text {
        objectName: "rightLabel"
        x: control.width - leftLabel.width
        y: control.height - height / 2
        text: "R"
        color: "white"
        font.pixelSize: 7
    }
}
