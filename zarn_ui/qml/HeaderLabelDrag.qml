import QtQuick
import com.lanternhillstudios.zarn_ui

// The grip right of a column header label: dragging it sets `desiredWidth`, to which the
// holder binds the column's width. During the drag the width stays within minWidth..1024;
// the value set on release is only held above minWidth.
Item {
    id: grip

    property var controlToLeft: null
    property var controlToFarLeft: null
    property int colSpacing: 3
    property int minWidth: 40
    property int desiredWidth: 40

    readonly property int maxDragWidth: 1024

    function restingX() {
        return grip.controlToLeft ? grip.controlToLeft.x + grip.controlToLeft.width + grip.colSpacing : 0;
    }

    function widthForGripPosition() {
        const farLeftEnd = grip.controlToFarLeft ? grip.controlToFarLeft.x + grip.controlToFarLeft.width : 0;
        return Math.round(grip.x - farLeftEnd - grip.colSpacing + 1);
    }

    x: restingX()
    y: 0
    width: 8
    height: controlToLeft ? controlToLeft.height : 0

    onXChanged: {
        if (dragArea.drag.active)
            grip.desiredWidth = Math.min(grip.maxDragWidth, Math.max(grip.minWidth, grip.widthForGripPosition()));
    }

    ZarnTheme {
        id: theme
    }

    Rectangle {
        objectName: "gripLine"
        x: 0
        y: 2
        width: 2
        height: Math.max(0, grip.height - 4)
        color: theme.bevel_light_color
    }

    MouseArea {
        id: dragArea

        anchors.fill: parent
        cursorShape: Qt.SizeHorCursor
        drag.target: grip
        drag.axis: Drag.XAxis

        // The drag moves the grip by hand: let go of the label until the release.
        onPressed: grip.x = grip.x

        // The drag ends with the release.
        drag.onActiveChanged: {
            if (drag.active)
                return;
            grip.desiredWidth = Math.max(grip.minWidth, grip.widthForGripPosition());
            // The drag moved the grip by hand; hand it back to the label it follows.
            grip.x = Qt.binding(grip.restingX);
        }
    }
}
