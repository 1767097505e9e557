import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The caesura tool window: a bar, a beat and the shift after that beat, OK and Cancel. OK
// sends the create or the change request, by the mode the controller opened it in, then
// closes. The controller sets the shift slider's range whenever the pickers change.
EditTool {
    id: root

    property alias inShift: barAndBeatPanel.inShift
    property alias inShiftMax: barAndBeatPanel.inMaxMicroshift
    property alias inShiftEnabled: barAndBeatPanel.inShiftEnabled
    property int inShiftMin: 0
    property alias inBarModel: barAndBeatPanel.inBarModel
    // Nothing shows the pause field yet.
    property var pauseEnabled: false

    signal createCaesuraRequest(var bar, var beat, real inShift)
    signal changeCaesuraRequest(var bar, var beat, real inShift)
    signal caesuraToolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 4.5;
    }

    function pressOk() {
        if (root.isEdit)
            root.changeCaesuraRequest(barAndBeatPanel.inBar, barAndBeatPanel.inBeat, barAndBeatPanel.inShift);
        else
            root.createCaesuraRequest(barAndBeatPanel.inBar, barAndBeatPanel.inBeat, barAndBeatPanel.inShift);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Caesura") : qsTr("Create Caesura")

    onWindowClosing: root.caesuraToolClosing()
    // Return and Escape work at once, without first moving the focus.
    onVisibleChanged: {
        if (visible)
            mainColumn.forceActiveFocus();
    }

    ColumnLayout {
        id: mainColumn

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 25
        spacing: 15
        focus: true

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

        Column {
            id: pauseColumn
            objectName: "pauseColumn"
            visible: root.pauseEnabled === true
            spacing: 5

            Text {
                text: qsTr("Pause")
                verticalAlignment: Text.AlignBottom
                font: root.theme.default_font
                color: root.theme.default_text_color
            }

            TextField {
                id: pauseInput
                objectName: "pauseInput"
                width: barAndBeatPanel.comboBoxWidth
                verticalAlignment: TextInput.AlignTop
                font: root.theme.default_font
                color: root.theme.light_text_color
                placeholderText: qsTr("in seconds")

                background: Rectangle {
                    color: root.theme.default_bg_color
                    border.width: 1
                    border.color: root.theme.light_border_color
                }
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
        }

        Item {
            Layout.fillHeight: true
        }
    }
}
