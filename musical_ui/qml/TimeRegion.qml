import QtQuick

// A range of the change log on the edits row. Position and width are timeline units. The
// controller hands in the position and the scale as signals rather than property writes, so
// the right handle and the remembered left edge follow each of them in the same step.
Rectangle {
    id: control

    property real viewScale: 1.0
    property color baseColor: "#6e3493"
    property real basePosition: 0
    property real baseWidth: 150
    property bool editable: false
    property bool selected: false
    // The left edge in pixels when a handle drag starts; the handles move the range around it.
    property real xPos: 0

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end, bool adjustLeft, bool adjustRight)
    signal basePositionSet(int pos)
    signal viewScaleSet(double scale)

    function placeRightHandle() {
        rightHandle.x = width - rightHandle.width
        xPos = x
    }

    // The signal's int arguments would round a real; the model wants units cut toward zero.
    function report(start, end, adjustLeft, adjustRight) {
        dragged(Math.trunc(start), Math.trunc(end), adjustLeft, adjustRight)
    }

    width: baseWidth * viewScale
    height: parent ? parent.height : 50
    x: basePosition * viewScale
    // Overlapping ranges: the one starting later is drawn on top.
    z: x
    opacity: 0.7
    radius: 3
    color: baseColor
    border.width: 1
    border.color: Qt.lighter(color, 1.1)

    onBasePositionSet: (pos) => {
        basePosition = pos
        placeRightHandle()
    }
    onViewScaleSet: (scale) => {
        viewScale = scale
        placeRightHandle()
    }

    Component.onCompleted: rightHandle.x = width - rightHandle.width

    MouseArea {
        id: bodyArea
        objectName: "mouseArea"
        anchors.fill: parent
        enabled: true
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        preventStealing: true
        drag.target: control.editable ? control : null
        drag.axis: Drag.XAxis

        onEntered: control.color = Qt.lighter(control.baseColor, 1.3)
        onExited: control.color = control.baseColor
        onClicked: control.clicked()
        onDoubleClicked: control.doubleClicked()
        onPositionChanged: {
            if (!leftArea.drag.active && !rightArea.drag.active)
                control.placeRightHandle()
        }
        onReleased: {
            if (drag.active)
                control.report(control.x / control.viewScale, (control.x + control.width) / control.viewScale,
                               false, false)
        }
    }

    Rectangle {
        id: leftHandle
        objectName: "leftHandle"
        x: 0
        width: 3
        height: control.height
        radius: control.radius
        color: control.border.color
        opacity: control.opacity

        MouseArea {
            id: leftArea
            objectName: "leftHandleArea"
            anchors.fill: parent
            hoverEnabled: control.editable
            cursorShape: control.editable ? Qt.SplitHCursor : Qt.ArrowCursor
            drag.target: control.editable ? leftHandle : null
            drag.axis: Drag.XAxis

            // The handle's offset is folded into the range each step, which keeps the right
            // edge where it was while the left edge follows the pointer.
            onPositionChanged: {
                if (!drag.active)
                    return
                leftHandle.x = Math.min(leftHandle.x, rightHandle.x - leftHandle.width)
                rightHandle.x = rightHandle.x - leftHandle.x
                control.baseWidth = (rightHandle.x + rightHandle.width) / control.viewScale
                control.xPos = control.xPos + leftHandle.x
                control.x = control.xPos
            }
            onReleased: {
                if (!drag.active)
                    return
                const end = (control.x + control.width) / control.viewScale
                const start = Math.min(control.x / control.viewScale, end - rightHandle.width)
                control.report(start, end, true, false)
            }
        }
    }

    Rectangle {
        id: rightHandle
        objectName: "rightHandle"
        width: 3
        height: control.height
        radius: control.radius
        color: control.border.color
        opacity: control.opacity

        MouseArea {
            id: rightArea
            objectName: "rightHandleArea"
            anchors.fill: parent
            hoverEnabled: control.editable
            cursorShape: control.editable ? Qt.SplitHCursor : Qt.ArrowCursor
            drag.target: control.editable ? rightHandle : null
            drag.axis: Drag.XAxis

            onPositionChanged: {
                if (!drag.active)
                    return
                rightHandle.x = Math.max(rightHandle.x, leftHandle.x + leftHandle.width)
                control.baseWidth = (rightHandle.x + rightHandle.width) / control.viewScale
                control.x = control.xPos
            }
            onReleased: {
                if (drag.active)
                    control.report(control.x / control.viewScale,
                                   (control.x + control.width) / control.viewScale, false, true)
            }
        }
    }

    Rectangle {
        id: selectionFrame
        objectName: "selectionFrame"
        anchors.fill: parent
        color: "transparent"
        border.color: "white"
        border.width: 1
        radius: control.radius
        antialiasing: true
        opacity: 0.7
        visible: control.selected
    }
}
