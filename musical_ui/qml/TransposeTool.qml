import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import com.lanternhillstudios.zarn_ui

// The transpose tool window: a range of bars and beats and the number of half steps, -6 to 6.
// A typed count out of range is brought to the nearer end when the field is left and again
// on OK; typed text that is not a number stays as typed, and the last count is what is sent.
// OK sends the create or the change request, by the mode the controller opened it in, then
// closes.
EditTool {
    id: root

    property alias barModel: barAndBeatPanel.inBarModel
    property alias inBarModel: barAndBeatPanel.inBarModel
    property alias intValue: transposeHalfStepsInput.intValue
    property alias value: transposeHalfStepsInput.value

    signal changeTransposeRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal createTransposeRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal transposeToolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 2.5;
    }

    function beatOf(text) {
        const beat = parseInt(text);
        return isNaN(beat) ? 0 : beat;
    }

    function enableIncrementButton() {
        transposeHalfStepsInput.incrementButton.enabled = true;
    }

    function enableDecrementButton() {
        transposeHalfStepsInput.decrementButton.enabled = true;
    }

    function disableIncrementButton() {
        transposeHalfStepsInput.incrementButton.enabled = false;
    }

    function disableDecrementButton() {
        transposeHalfStepsInput.decrementButton.enabled = false;
    }

    // An empty field counts as 0.
    function validateInput() {
        const box = transposeHalfStepsInput;
        if (isNaN(box.value))
            return;
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
        const count = transposeHalfStepsInput.intValue;
        if (root.isEdit)
            root.changeTransposeRequest(panel.inBar, beatOf(panel.inBeat), panel.outBar, beatOf(panel.outBeat), count);
        else
            root.createTransposeRequest(panel.inBar, beatOf(panel.inBeat), panel.outBar, beatOf(panel.outBeat), count);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.height + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Transposition") : qsTr("Transpose Key")

    onWindowClosing: root.transposeToolClosing()
    // The count can be typed at once, and Return and Escape work without moving the focus.
    onVisibleChanged: {
        if (visible)
            transposeHalfStepsInput.input.forceActiveFocus();
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
            hasDuration: true
            showSelectAll: true
            onPressEnter: root.pressOk()
            onInBarInputChanged: root.inBarChanged()
            onInBeatInputChanged: root.inBeatChanged()
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Half Steps")
            color: theme.default_text_color
            font.pixelSize: 14
        }

        RecessedSpinBox {
            id: transposeHalfStepsInput
            objectName: "transposeHalfStepsInput"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 125
            from: -6
            to: 6
            defaultValue: 0
            textIndent: 0
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
