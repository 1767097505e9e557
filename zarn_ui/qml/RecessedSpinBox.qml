import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Layouts

// Count box of the edit tools. It only shows text and reports presses: the tool that owns it
// decides the value.
Item {
    id: root

    property alias value: input.text
    property int intValue: 1
    property bool editable: true
    property real inputWidth: 50
    property int from: 0
    property int to: 99
    property var defaultValue: "\u221E"
    property alias textIndent: input.textIndent
    readonly property alias decrementButton: decrement
    readonly property alias incrementButton: increment
    property alias inputFocus: input.focus
    readonly property alias input: input

    signal incrementValue()
    signal decrementValue()
    signal editingFinished()
    signal textEdited()

    implicitHeight: 25
    implicitWidth: row.implicitWidth + 2

    // Only a change runs this: a default that leaves intValue as it was keeps both enabled.
    onIntValueChanged: {
        decrement.enabled = intValue > from;
        increment.enabled = intValue < to;
    }

    Component.onCompleted: {
        intValue = (defaultValue === "\u221E") ? from : Number(defaultValue);
        value = String(defaultValue);
    }

    RowLayout {
        id: row
        anchors.fill: parent
        spacing: 0

        FlatButton {
            id: decrement
            Layout.preferredWidth: 25
            Layout.preferredHeight: 25
            text: "-"
            onClicked: root.decrementValue()
        }
        RecessedTextInput {
            id: input
            Layout.preferredWidth: root.inputWidth
            Layout.fillWidth: true
            Layout.preferredHeight: 25
            horizontalAlignment: TextInput.AlignHCenter
            editable: root.editable
            onEditingFinished: root.editingFinished()
            onTextEdited: root.textEdited()
        }
        FlatButton {
            id: increment
            Layout.preferredWidth: 25
            Layout.preferredHeight: 25
            text: "+"
            onClicked: root.incrementValue()
        }
    }
}
