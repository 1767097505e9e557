import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import com.lanternhillstudios.zarn_ui

// The tempo scale tool window: a range of bars and beats and the tempo there as a whole percent,
// 50 to 200. A typed percent out of range is brought to the nearer end when the field is left
// and again on OK; typed text that is not a number is replaced by the last percent. OK sends
// the create or the change request, by the mode the controller opened it in, then closes.
EditTool {
    id: root

    property alias barModel: barAndBeatPanel.inBarModel
    property alias inBarModel: barAndBeatPanel.inBarModel
    property alias intValue: tempoScaleInput.intValue
    property alias value: tempoScaleInput.value

    signal changeTempoRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal createTempoRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal tempoToolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 2.5;
    }

    function beatOf(text) {
        const beat = parseInt(text);
        return isNaN(beat) ? 0 : beat;
    }

    function enableIncrementButton() {
        tempoScaleInput.incrementButton.enabled = true;
    }

    function enableDecrementButton() {
        tempoScaleInput.decrementButton.enabled = true;
    }

    function disableIncrementButton() {
        tempoScaleInput.incrementButton.enabled = false;
    }

    function disableDecrementButton() {
        tempoScaleInput.decrementButton.enabled = false;
    }

    // An empty field counts as 0, so it becomes the lowest percent.
    function validateInput() {
        const box = tempoScaleInput;
        if (isNaN(box.value)) {
            box.value = String(box.intValue);
            return;
        }
        box.intValue = Number(box.value);
        if (box.intValue <= box.from) {
            box.intValue = box.from;
            box.value = String(box.from);
            disableDecrementButton();
            enableIncrementButton();
        } else if (box.intValue >= box.to) {
            box.intValue = box.to;
            box.value = String(box.to);
            enableDecrementButton();
            disableIncrementButton();
        } else {
            box.intValue = Number(box.value);
            enableIncrementButton();
            enableDecrementButton();
        }
    }

    function pressOk() {
        validateInput();
        const panel = barAndBeatPanel;
        const count = tempoScaleInput.intValue;
        if (root.isEdit)
            root.changeTempoRequest(panel.inBar, beatOf(panel.inBeat), panel.outBar, beatOf(panel.outBeat), count);
        else
            root.createTempoRequest(panel.inBar, beatOf(panel.inBeat), panel.outBar, beatOf(panel.outBeat), count);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Tempo Scale") : qsTr("Scale Tempo")

    onWindowClosing: root.tempoToolClosing()
    // The percent can be typed at once, and Return and Escape work without moving the focus.
    onVisibleChanged: {
        if (visible)
            tempoScaleInput.input.forceActiveFocus();
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
            hasDuration: true
            showSelectAll: true
            onPressEnter: root.pressOk()
            onInBarInputChanged: root.inBarChanged()
            onInBeatInputChanged: root.inBeatChanged()
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Percent Change")
            color: theme.default_text_color
            font.pixelSize: 14
        }

        RecessedSpinBox {
            id: tempoScaleInput
            objectName: "tempoScaleInput"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 100
            from: 50
            to: 200
            defaultValue: 100
            textIndent: 0
            inputWidth: 45
            inputFocus: true
            onEditingFinished: root.validateInput()
            onIncrementValue: {
                intValue += 1;
                value = String(intValue);
                if (intValue === to)
                    root.disableIncrementButton();
                root.enableDecrementButton();
            }
            onDecrementValue: {
                intValue -= 1;
                value = String(intValue);
                if (intValue === from)
                    root.disableDecrementButton();
                root.enableIncrementButton();
            }
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
