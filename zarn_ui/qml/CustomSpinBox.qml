import QtQuick
import com.lanternhillstudios.zarn_ui

// Integer box with minus and plus buttons that keeps its value within [from, to]. With
// `underflowWithInfinite`, the step below `from` stands for "Infinite".
Item {
    id: root

    property alias value: input.text
    property int intValue: 1
    property bool editable: true
    property bool underflowWithInfinite: false
    property int from: 0
    property int to: 99
    readonly property alias decrementButton: decrement
    readonly property alias incrementButton: increment
    readonly property alias input: input

    signal validateInput()

    implicitHeight: 25

    onIntValueChanged: applyValueRule()
    onValidateInput: validateText()
    Component.onCompleted: applyValueRule()

    function applyValueRule() {
        let showInfinite = false;
        if (intValue === from && !underflowWithInfinite) {
            decrement.enabled = false;
        } else if (intValue === from - 1 && underflowWithInfinite) {
            showInfinite = true;
            decrement.enabled = false;
        } else if (intValue < from) {
            intValue = from; // runs the rule again for `from`
            return;
        } else {
            decrement.enabled = true;
        }

        if (intValue === to) {
            increment.enabled = false;
        } else if (intValue > to) {
            intValue = to; // runs the rule again for `to`
            return;
        } else {
            increment.enabled = true;
        }
        input.text = showInfinite ? "Infinite" : String(intValue);
    }

    function validateText() {
        const typed = parseInt(input.text);
        if (isNaN(typed)) {
            if (underflowWithInfinite) {
                input.text = "Infinite";
                intValue = from - 1;
            } else {
                applyValueRule();
            }
            return;
        }
        const clamped = Math.min(Math.max(typed, from), to);
        input.text = String(clamped);
        intValue = clamped;
    }

    Row {
        id: row
        anchors.fill: parent

        FlatButton {
            id: decrement
            width: 25
            height: 25
            text: "-"
            onClicked: root.intValue -= 1
            // The second click of a double click counts as a step of its own.
            onDoubleClicked: root.intValue -= 1
        }
        CustomTextInput {
            id: input
            width: root.width - 50 - 4 * row.spacing
            height: 25
            horizontalAlignment: TextEdit.AlignHCenter
            text: "1"
            editable: root.editable
            onEditingFinished: root.validateInput()
        }
        FlatButton {
            id: increment
            width: 25
            height: 25
            text: "+"
            onClicked: root.intValue += 1
            onDoubleClicked: root.intValue += 1
        }
    }
}
