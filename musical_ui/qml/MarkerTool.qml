import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The marker tool window: a bar and a beat, the marker's name, OK and Cancel. OK sends the
// create or the change request, by the mode the controller opened it in, then closes.
EditTool {
    id: root

    property alias strValue: markerInput.text

    signal createMarkerRequest(string bar, int beat, string text)
    signal changeMarkerRequest(string bar, int beat, string text)
    signal markerToolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 2.5;
    }

    function pressOk() {
        const beat = parseInt(barAndBeatPanel.inBeat);
        if (root.isEdit)
            root.changeMarkerRequest(barAndBeatPanel.inBar, isNaN(beat) ? 0 : beat, markerInput.text);
        else
            root.createMarkerRequest(barAndBeatPanel.inBar, isNaN(beat) ? 0 : beat, markerInput.text);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Marker") : qsTr("Create Marker")

    onWindowClosing: root.markerToolClosing()
    // The name can be typed at once, and Return and Escape work without moving the focus.
    onVisibleChanged: {
        if (visible)
            markerInput.field.forceActiveFocus();
    }

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        id: mainColumn

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 25
        spacing: 15

        Keys.onEscapePressed: root.close()
        Keys.onReturnPressed: root.pressOk()
        Keys.onEnterPressed: root.pressOk()

        BarAndBeatPanel {
            id: barAndBeatPanel
            objectName: "barAndBeatPanel"
            Layout.fillWidth: true
            hasDuration: false
            onPressEnter: root.pressOk()
            onInBarInputChanged: root.inBarChanged()
            onInBeatInputChanged: root.inBeatChanged()
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Marker")
            color: theme.default_text_color
            font: theme.default_font
        }

        RecessedTextInput {
            id: markerInput
            objectName: "markerInput"
            Layout.fillWidth: true
            Layout.preferredWidth: barAndBeatPanel.comboBoxWidth
            horizontalAlignment: TextInput.AlignLeft
        }

        StandardEditButtons {
            id: buttonRow
            objectName: "buttonRow"
            Layout.fillWidth: true
            onOkayClicked: root.pressOk()
            onCancelClicked: root.close()
        }

        EventIdLabel {
            objectName: "eventIdLabel"
            Layout.fillWidth: true
            value: root.eventId
            visible: false
        }
    }
}
