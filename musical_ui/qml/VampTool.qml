import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The vamp tool window: an in and an out position, the vamp count, OK and Cancel. A count of 0
// loops until the operator releases the vamp and reads "∞". The count is checked whenever its
// field finishes editing and again on OK, so the request always carries 0 to 500.
EditTool {
    id: root

    readonly property int maxCount: 500

    property alias barModel: barAndBeatPanel.inBarModel
    property alias inBarModel: barAndBeatPanel.inBarModel
    property alias intValue: vampCountInput.intValue
    property alias value: vampCountInput.value

    signal changeVampRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal createVampRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal vampToolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 2.5;
    }

    function enableIncrementButton() {
        vampCountInput.incrementButton.enabled = true;
    }

    function enableDecrementButton() {
        vampCountInput.decrementButton.enabled = true;
    }

    function disableIncrementButton() {
        vampCountInput.incrementButton.enabled = false;
    }

    function disableDecrementButton() {
        vampCountInput.decrementButton.enabled = false;
    }

    // The shown text and the count move together; the buttons offer only steps that stay in range.
    function showCount(count: int) {
        vampCountInput.intValue = count;
        vampCountInput.value = count === 0 ? "\u221E" : String(count);
        if (count > 0)
            enableDecrementButton();
        else
            disableDecrementButton();
        if (count < root.maxCount)
            enableIncrementButton();
        else
            disableIncrementButton();
    }

    function increment() {
        showCount(vampCountInput.value === "\u221E" ? 1 : vampCountInput.intValue + 1);
    }

    function decrement() {
        showCount(vampCountInput.value === "1" ? 0 : vampCountInput.intValue - 1);
    }

    // Anything that is not a number, "∞" included, means no limit. A number is bounded before it
    // becomes an integer, so a huge one cannot wrap around into the range.
    function validateInput() {
        const typed = vampCountInput.value;
        if (isNaN(typed)) {
            showCount(0);
            return;
        }
        const number = Number(typed);
        showCount(number <= 0 ? 0 : (number >= root.maxCount ? root.maxCount : Math.trunc(number)));
    }

    function pressOk() {
        root.validateInput();
        const inBeat = parseInt(barAndBeatPanel.inBeat) || 0;
        const outBeat = parseInt(barAndBeatPanel.outBeat) || 0;
        const count = vampCountInput.intValue;
        if (root.isEdit)
            root.changeVampRequest(barAndBeatPanel.inBar, inBeat, barAndBeatPanel.outBar, outBeat, count);
        else
            root.createVampRequest(barAndBeatPanel.inBar, inBeat, barAndBeatPanel.outBar, outBeat, count);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Vamp") : qsTr("Create Vamp")

    Component.onCompleted: root.disableDecrementButton()
    onWindowClosing: root.vampToolClosing()
    // The count can be typed at once, and Return and Escape work without moving the focus.
    onVisibleChanged: {
        if (visible)
            vampCountInput.input.forceActiveFocus();
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
            onPressEnter: root.pressOk()
            onInBarInputChanged: root.inBarChanged()
            onInBeatInputChanged: root.inBeatChanged()
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Vamp Count")
            color: theme.default_text_color
            font.pixelSize: 14
        }

        RecessedSpinBox {
            id: vampCountInput
            objectName: "vampCountInput"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 125
            inputWidth: 45
            from: 0
            to: root.maxCount
            defaultValue: "\u221E"
            textIndent: 0
            inputFocus: true
            onIncrementValue: root.increment()
            onDecrementValue: root.decrement()
            onEditingFinished: root.validateInput()
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
        }
    }
}
