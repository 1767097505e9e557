import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// One engine command's row in the MIDI Manager: name, status, channel and note pickers,
// "Learn" and the lamp. The controller (MidiManagerCommandController) writes the index
// properties with `initializing` on; a pick by hand, with it off, is reported through the
// change signals. The index properties follow a hand pick too, so a later write from the
// controller always reaches its picker, even one of the value the property held before.
Item {
    id: root

    property bool learnedCommand: false
    property bool learningCommand: false
    property var columnWidths
    property string commandName: "Command"
    property var midiStatusModel
    property bool enabledCommand: true
    property int midiStatusIndex: -1
    property int channelIndex: -1
    property int midiNoteIndex: -1
    property bool initializing: true

    readonly property alias statusPicker: statusBox
    readonly property alias channelPicker: channelBox
    readonly property alias notePicker: noteBox
    readonly property alias learnButton: learnButton
    readonly property alias lamp: lamp

    signal learnClicked()
    signal midiStatusChanged(int newStatus)
    signal channelChanged(int newChannel)
    signal noteChanged(int newNote)

    function createListModel(low, high, parent) {
        const model = Qt.createQmlObject("import QtQuick 2.15; ListModel {}", parent);
        for (let i = low; i <= high; ++i)
            model.append({"number": i});
        return model;
    }

    function widthOf(column, fallback) {
        return root.columnWidths && root.columnWidths.length > column ? root.columnWidths[column] : fallback;
    }

    // A picker's current row, or -1 when it shows none (the controller's "one past the end"
    // for a status the engine does not allow).
    function pickedRow(picker) {
        return picker.currentIndex >= 0 && picker.currentIndex < picker.count ? picker.currentIndex : -1;
    }

    implicitWidth: row.implicitWidth
    implicitHeight: 35
    width: parent ? parent.width : implicitWidth
    height: 35

    // The pickers are set from the properties by handlers, not bindings: a pick by hand
    // assigns the picker, which would end a binding for good.
    onMidiStatusIndexChanged: statusBox.currentIndex = root.midiStatusIndex
    onChannelIndexChanged: channelBox.currentIndex = root.channelIndex
    onMidiNoteIndexChanged: noteBox.currentIndex = root.midiNoteIndex
    Component.onCompleted: {
        statusBox.currentIndex = root.midiStatusIndex;
        channelBox.currentIndex = root.channelIndex;
        noteBox.currentIndex = root.midiNoteIndex;
    }

    ZarnTheme {
        id: theme
    }

    RowLayout {
        id: row
        anchors.verticalCenter: parent.verticalCenter
        spacing: 0

        Text {
            objectName: "commandName"
            Layout.preferredWidth: root.widthOf(0, 125)
            text: root.commandName
            font: theme.default_font
            color: theme.default_text_color
            elide: Text.ElideRight
        }

        Item {
            Layout.preferredWidth: root.widthOf(1, 150)
            Layout.preferredHeight: 30
            CustomComboBox {
                id: statusBox
                objectName: "statusPicker"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.rightMargin: 10
                model: root.midiStatusModel
                textRole: "displayname"
                valueRole: "value"
                enabled: root.enabledCommand
                onCurrentValueChanged: {
                    if (root.initializing)
                        return;
                    const picked = root.pickedRow(statusBox);
                    root.midiStatusIndex = statusBox.currentIndex;
                    if (picked < 0)
                        return;
                    console.log("Selected " + statusBox.currentIndex + ": " + statusBox.currentValue);
                    root.midiStatusChanged(statusBox.currentValue);
                }
            }
        }

        Item {
            Layout.preferredWidth: root.widthOf(2, 75)
            Layout.preferredHeight: 30
            CustomComboBox {
                id: channelBox
                objectName: "channelPicker"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.rightMargin: 10
                model: root.createListModel(1, 16, channelBox)
                textRole: "number"
                enabled: root.enabledCommand
                onCurrentIndexChanged: {
                    if (root.initializing)
                        return;
                    root.channelIndex = channelBox.currentIndex;
                    if (root.pickedRow(channelBox) >= 0)
                        root.channelChanged(channelBox.currentIndex);
                }
            }
        }

        Item {
            Layout.preferredWidth: root.widthOf(3, 75)
            Layout.preferredHeight: 30
            CustomComboBox {
                id: noteBox
                objectName: "notePicker"
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.rightMargin: 10
                model: 128
                enabled: root.enabledCommand
                onCurrentIndexChanged: {
                    if (root.initializing)
                        return;
                    root.midiNoteIndex = noteBox.currentIndex;
                    if (root.pickedRow(noteBox) >= 0)
                        root.noteChanged(noteBox.currentIndex);
                }
            }
        }

        Item {
            Layout.preferredWidth: root.widthOf(4, 100)
            Layout.preferredHeight: 30
            FlatButton {
                id: learnButton
                objectName: "learnButton"
                anchors.left: parent.left
                height: 30
                text: qsTr("Learn")
                enabled: root.enabledCommand
                onClicked: root.learnClicked()
            }
        }

        Item {
            Layout.preferredWidth: root.widthOf(5, 40)
            Layout.preferredHeight: 30
            Indicator {
                id: lamp
                objectName: "lamp"
                anchors.centerIn: parent
                value: root.learnedCommand
                learning: root.learningCommand
            }
        }
    }
}
