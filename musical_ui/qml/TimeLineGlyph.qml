import QtQuick

// An OSC cue on the effects row: a symbol centred on its position in timeline units.
Item {
    id: control

    property real viewScale: 1
    property int basePosition: 0
    property bool editable: false
    property bool selected: false
    property alias glyphPath: image.source
    // Dimmed and not opened by a double click when the edition sends no OSC.
    property bool enableOsc: true

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end)

    width: 20
    height: 20
    x: viewScale * basePosition - width / 2
    // Cues sit above the ranges of the row.
    z: 5000

    Image {
        id: image
        objectName: "image"
        anchors.fill: parent
        source: "qrc:/images/sfx.svg"
        fillMode: Image.PreserveAspectFit
        smooth: true
        opacity: control.enableOsc ? 1 : 0.3
    }

    MouseArea {
        id: mouseArea
        objectName: "mouseArea"
        anchors.fill: parent
        enabled: control.editable
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        preventStealing: true
        drag.target: control
        drag.axis: Drag.XAxis

        onClicked: control.clicked()
        onDoubleClicked: {
            if (control.enableOsc)
                control.doubleClicked()
        }
        // The cue's position is its centre, so that is what a move reports.
        onReleased: {
            if (!drag.active)
                return
            const start = (control.x + control.width / 2) / control.viewScale
            const end = start + control.width / control.viewScale
            control.dragged(Math.trunc(start), Math.trunc(end))
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
