import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The repeat tool window: an in and an out position, how many times the range plays, OK and
// Cancel. Plus and minus step from the count; a typed count is taken only on OK, which keeps
// it within 1 to 500 (text that is not a number puts the last count back).
EditTool {
    id: root

    readonly property int minCount: 1
    readonly property int maxCount: 500

    property alias barModel: barAndBeatPanel.inBarModel
    property alias inBarModel: barAndBeatPanel.inBarModel
    property alias intValue: repeatCountInput.intValue
    property alias value: repeatCountInput.value

    signal changeRepeatRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal createRepeatRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal repeatToolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 2.5;
    }

    function enableIncrementButton() {
        repeatCountInput.incrementButton.enabled = true;
    }

    function enableDecrementButton() {
        repeatCountInput.decrementButton.enabled = true;
    }

    function disableIncrementButton() {
        repeatCountInput.incrementButton.enabled = false;
    }

    function disableDecrementButton() {
        repeatCountInput.decrementButton.enabled = false;
    }

    // The shown text and the count move together; the buttons offer only steps that stay in range.
    function showCount(count: int) {
        repeatCountInput.intValue = count;
        repeatCountInput.value = String(count);
        if (count > root.minCount)
            enableDecrementButton();
        else
            disableDecrementButton();
        if (count < root.maxCount)
            enableIncrementButton();
        else
            disableIncrementButton();
    }

    // From the count, not from text typed since: that is taken only on OK.
    function increment() {
        showCount(repeatCountInput.intValue + 1);
    }

    function decrement() {
        showCount(repeatCountInput.intValue - 1);
    }

    // A number is bounded before it becomes an integer, so a huge one cannot wrap around into
    // the range; anything else gives the count back its text.
    function validateInput() {
        const typed = repeatCountInput.value;
        if (isNaN(typed)) {
            repeatCountInput.value = String(repeatCountInput.intValue);
            return;
        }
        const number = Number(typed);
        showCount(number <= root.minCount ? root.minCount
                                          : (number >= root.maxCount ? root.maxCount : Math.trunc(number)));
    }

    function pressOk() {
        root.validateInput();
        const inBeat = parseInt(barAndBeatPanel.inBeat) || 0;
        const outBeat = parseInt(barAndBeatPanel.outBeat) || 0;
        const count = repeatCountInput.intValue;
        if (root.isEdit)
            root.changeRepeatRequest(barAndBeatPanel.inBar, inBeat, barAndBeatPanel.outBar, outBeat, count);
        else
            root.createRepeatRequest(barAndBeatPanel.inBar, inBeat, barAndBeatPanel.outBar, outBeat, count);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Repeat") : qsTr("Create Repeat")

    onWindowClosing: root.repeatToolClosing()
    // The count can be typed at once, and Return and Escape work without moving the focus.
    onVisibleChanged: {
        if (visible)
            repeatCountInput.input.forceActiveFocus();
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
            text: qsTr("Repeat Count")
            color: theme.default_text_color
            font.pixelSize: 14
        }

        RecessedSpinBox {
            id: repeatCountInput
            objectName: "repeatCountInput"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 125
            inputWidth: 45
            from: root.minCount
            to: root.maxCount
            defaultValue: "2"
            textIndent: 0
            inputFocus: true
            onIncrementValue: root.increment()
            onDecrementValue: root.decrement()
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
