import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The OSC cue tool window: a bar, a beat and the shift after that beat, the destination and
// the command to send there, OK and Cancel. OK sends the create or the change request, by
// the mode the controller opened it in, then closes. The controller sets the shift slider's
// range whenever the pickers change, and gives the destinations.
EditTool {
    id: root

    property alias strValue: commandInput.text
    property alias networkModel: networkIdInput.model
    property alias networkCurrentIndex: networkIdInput.currentIndex
    property alias inShift: barAndBeatPanel.inShift
    property alias inShiftMax: barAndBeatPanel.inMaxMicroshift
    property alias inShiftEnabled: barAndBeatPanel.inShiftEnabled
    property int inShiftMin: 0

    signal createRequest(string bar, int beat, string text, string networkId, real inShift)
    signal changeRequest(string bar, int beat, string text, string networkId, real inShift)
    signal toolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 4.5;
    }

    // The selected destination's id; none selected (or none to select) is the empty id.
    function selectedNetworkId() {
        if (networkIdInput.currentIndex < 0 || networkIdInput.currentValue === undefined
                || networkIdInput.currentValue === null)
            return "";
        return String(networkIdInput.currentValue);
    }

    function pressOk() {
        const parsed = parseInt(barAndBeatPanel.inBeat);
        const beat = isNaN(parsed) ? 0 : parsed;
        const networkId = root.selectedNetworkId();
        if (root.isEdit)
            root.changeRequest(barAndBeatPanel.inBar, beat, commandInput.text, networkId, barAndBeatPanel.inShift);
        else
            root.createRequest(barAndBeatPanel.inBar, beat, commandInput.text, networkId, barAndBeatPanel.inShift);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit OSC Command") : qsTr("Create OSC Command")

    onWindowClosing: root.toolClosing()
    // The command can be typed at once, and Return and Escape work without moving the focus.
    onVisibleChanged: {
        if (visible)
            commandInput.field.forceActiveFocus();
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
            hasMicroshift: true
            inMinMicroshift: root.inShiftMin
            onPressEnter: root.pressOk()
            onInBarInputChanged: root.inBarChanged()
            onInBeatInputChanged: root.inBeatChanged()
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Network")
            color: theme.default_text_color
            font: theme.default_font
        }

        CustomComboBox {
            id: networkIdInput
            objectName: "networkIdInput"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 200
            Layout.preferredHeight: implicitHeight
            width: 200
            textRole: "name"
            valueRole: "networkId"
            enabled: true
            onEnterPressed: root.pressOk()
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("OSC Command")
            color: theme.default_text_color
            font: theme.default_font
        }

        RecessedTextInput {
            id: commandInput
            objectName: "commandInput"
            Layout.fillWidth: true
            horizontalAlignment: TextInput.AlignHCenter
        }

        // A layout, not a positioner: the window takes its height from the column's implicit
        // height when it completes, before a positioner would have laid out its children.
        ColumnLayout {
            Layout.fillWidth: true
            spacing: 5

            Text {
                Layout.alignment: Qt.AlignHCenter
                text: qsTr("Example Commands")
                color: theme.default_text_color
                font: theme.default_font
            }

            TextEdit {
                objectName: "exampleCommands"
                Layout.fillWidth: true
                readOnly: true
                selectByMouse: false
                horizontalAlignment: TextEdit.AlignHCenter
                wrapMode: TextEdit.WrapAnywhere
                color: theme.default_text_color
                font.family: "Courier New"
                font.pixelSize: theme.default_font.pixelSize - 2
                text: "/zarn/volume (-#db)\n/zarn/fadeout (#time)\n/zarn/fadeto (-#db) (#time)\n"
            }
        }

        StandardEditButtons {
            id: buttonRow
            objectName: "buttonRow"
            Layout.alignment: Qt.AlignHCenter
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
