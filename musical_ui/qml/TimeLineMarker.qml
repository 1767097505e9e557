import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// A labelled point on a timeline row. Where neighbours leave no room the controller hides the
// label and the point shrinks to a diamond that names itself in a tool tip.
Item {
    id: control

    property real viewScale: 1.0
    property int basePosition: 0
    property string labelText: "Label"
    property bool visibleLabel: true
    property int diamondSize: 8
    // Not the square's diagonal: the diamond's offset below was laid out against this value.
    property int diamondHeight: Math.floor(Math.sqrt((2 * diamondSize) ^ 2))
    property color textColorDefault: "white"
    property color textColorHover: "white"
    property color backgroundColorDefault: "#404040"
    property color backgroundColorHover: "white"
    property bool editable: false
    property bool selected: false
    property bool doHighlight: true

    signal clicked()
    signal doubleClicked()
    signal dragged(int start, int end)

    function reportDrag() {
        dragged(Math.trunc(x / viewScale), Math.trunc((x + width) / viewScale))
    }

    width: metrics.width + 5
    height: visibleLabel ? 20 : diamondHeight
    x: viewScale * basePosition
    // Markers stay readable over everything else on their row.
    z: 16000

    TextMetrics {
        id: metrics
        font: label.font
        text: control.labelText
    }

    Text {
        id: label
        objectName: "label"
        y: -2
        height: control.height
        visible: control.visibleLabel
        text: control.labelText + " "
        font.pixelSize: 10
        verticalAlignment: Text.AlignVCenter
        color: labelArea.containsMouse && control.editable && control.doHighlight
               ? control.textColorHover : control.textColorDefault

        MouseArea {
            id: labelArea
            objectName: "labelArea"
            anchors.fill: parent
            enabled: true
            hoverEnabled: true
            cursorShape: control.editable ? Qt.PointingHandCursor : Qt.ArrowCursor
            drag.target: control.editable ? control : null
            drag.axis: Drag.XAxis

            onClicked: {
                if (control.editable)
                    control.clicked()
            }
            // Opens the marker even where it may not be changed.
            onDoubleClicked: control.doubleClicked()
            onReleased: {
                if (drag.active && control.editable)
                    control.reportDrag()
            }
        }
    }

    Rectangle {
        id: labelFrame
        objectName: "labelFrame"
        anchors.fill: label
        color: "transparent"
        border.width: 1
        border.color: labelArea.containsMouse && control.editable && !control.selected ? "gray" : "white"
        radius: 3
        antialiasing: true
        opacity: 0.7
        visible: (control.selected && label.visible) || (labelArea.containsMouse && control.editable)
    }

    // A song has hundreds of these points and a tool tip is a popup: it is made on the first
    // hover of the diamond, not with the marker.
    Loader {
        id: toolTipLoader
        objectName: "toolTipLoader"
        active: false
        sourceComponent: ZarnToolTip {
            objectName: "toolTip"
            text: control.labelText
            visible: diamondArea.containsMouse
            y: control.y - 1.1 * height
        }
    }

    Rectangle {
        id: diamond
        objectName: "diamond"
        x: -control.diamondSize / 2
        y: labelFrame.height / 2 + control.diamondHeight / 2
        width: control.diamondSize
        height: control.diamondSize
        rotation: 45
        visible: !control.visibleLabel
        border.color: "#515151"
        color: diamondArea.containsMouse && control.doHighlight && control.editable
               ? control.backgroundColorHover : control.backgroundColorDefault

        MouseArea {
            id: diamondArea
            objectName: "diamondArea"
            anchors.fill: parent
            enabled: true
            hoverEnabled: true
            cursorShape: control.editable ? Qt.PointingHandCursor : Qt.ArrowCursor
            drag.target: control.editable ? control : null
            drag.axis: Drag.XAxis

            onContainsMouseChanged: {
                if (containsMouse)
                    toolTipLoader.active = true
            }
            onClicked: {
                if (control.editable)
                    control.clicked()
            }
            onReleased: {
                if (drag.active && control.editable)
                    control.reportDrag()
            }
        }

        Rectangle {
            id: diamondSelection
            objectName: "diamondSelection"
            anchors.fill: parent
            color: "transparent"
            border.color: "white"
            border.width: 1
            radius: 1
            antialiasing: true
            opacity: 0.7
            visible: control.selected
        }
    }
}
