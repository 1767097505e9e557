import QtQuick
import com.lanternhillstudios.zarn_ui

// The event id line of the tools. A click copies the id, so the operator can quote it in a
// cue sheet or a remote command without retyping it.
Item {
    id: root

    property string value: ""
    property alias text: caption.text

    // Copies the whole shown text, "(none)" included. A click while the notice shows leaves
    // its timer alone, so the notice goes on time.
    function copyShownId() {
        idText.selectAll();
        idText.copy();
        copiedNotice.visible = true;
        if (!copiedTimer.running)
            copiedTimer.start();
    }

    implicitWidth: caption.implicitWidth + idText.implicitWidth + copiedNotice.implicitWidth + 2 * idRow.spacing
    implicitHeight: idRow.implicitHeight

    ZarnTheme {
        id: theme
    }

    Row {
        id: idRow
        spacing: 5

        Text {
            id: caption
            objectName: "caption"
            text: qsTr("Event ID:")
            font: theme.small_font
            color: theme.dim_text_color
        }

        TextEdit {
            id: idText
            objectName: "idText"
            // Wraps a long id inside the width the holder gives the line.
            width: Math.max(0, Math.min(implicitWidth, root.width - caption.width - idRow.spacing))
            text: root.value === "" ? qsTr("(none)") : root.value
            readOnly: true
            wrapMode: TextEdit.WordWrap
            selectByMouse: true
            selectionColor: "transparent"
            selectedTextColor: theme.dim_text_color
            font: theme.small_font
            color: theme.dim_text_color

            MouseArea {
                id: idMouse
                objectName: "idMouse"
                anchors.fill: parent
                hoverEnabled: true
                cursorShape: Qt.PointingHandCursor
                onClicked: root.copyShownId()
            }

            ZarnToolTip {
                objectName: "copyToolTip"
                parent: idText
                text: qsTr("Click to Copy to Clipboard")
                delay: 1000
                timeout: 5000
                visible: idMouse.containsMouse
            }
        }

        Text {
            id: copiedNotice
            objectName: "copiedNotice"
            text: qsTr("Copied!")
            font: theme.small_font
            color: theme.dim_text_color
            visible: false
        }
    }

    Timer {
        id: copiedTimer
        objectName: "copiedTimer"
        interval: 1000
        repeat: false
        onTriggered: copiedNotice.visible = false
    }
}
