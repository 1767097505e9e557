import QtQuick

// A caesura on the edits row, drawn at its position in timeline units.
Item {
    id: control

    property real viewScale: 1.0
    property int basePosition: 0
    property bool editable: false
    property bool selected: false

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end)

    width: 11
    height: 16
    x: viewScale * basePosition
    z: x

    Image {
        id: image
        objectName: "image"
        x: 1
        y: 3
        width: 10
        height: 10
        source: "qrc:/images/caesura.svg"
        fillMode: Image.PreserveAspectFit
        smooth: true
        // Rendered at the drawing's own size and scaled down, which keeps its thin strokes.
        sourceSize: naturalImage.sourceSize
    }

    Image {
        id: naturalImage
        source: image.source
        visible: false
    }

    MouseArea {
        id: mouseArea
        objectName: "mouseArea"
        anchors.fill: parent
        enabled: true
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        preventStealing: true
        drag.target: control.editable ? control : null
        drag.axis: Drag.XAxis

        onClicked: control.clicked()
        onDoubleClicked: control.doubleClicked()
        onReleased: {
            if (!drag.active)
                return
            console.log("caesura control.x =", control.x)
            control.dragged(Math.trunc(control.x / control.viewScale),
                            Math.trunc((control.x + control.width) / control.viewScale))
        }
    }

    Rectangle {
        id: selectionFrame
        objectName: "selectionFrame"
        anchors.fill: parent
        color: "transparent"
        border.color: "white"
        border.width: 1
        radius: 3
        antialiasing: true
        opacity: 0.7
        visible: control.selected
    }
}
