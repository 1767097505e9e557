import QtQuick

// The playback position on the timeline. Its scale is set by the controller with the
// position, not bound to the timeline's, so both change in one step.
Item {
    id: control

    property int basePos: 0
    property double viewScale: 1.0

    height: parent ? parent.height : 0
    x: basePos * viewScale

    Rectangle {
        width: 1
        height: control.height
        color: "#26A5DE"
    }
}
