import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The strip of buttons over the edit panel. It only raises signals: the panel relays the
// tool buttons to the main window, and TimelineEditController keeps the edit, delete, undo,
// redo, save and share buttons enabled as the edit state allows, through the aliases below.
Item {
    id: bar

    property bool enableOsc: true

    property alias editButtonControl: editBtn
    property alias deleteButtonControl: deleteBtn
    property alias undoButtonControl: undoBtn
    property alias redoButtonControl: redoBtn
    property alias saveControl: saveBtn
    property alias shareControl: shareBtn

    signal caesuraButton()
    signal clickButton()
    signal cutButton()
    signal markerButton()
    signal repeatButton()
    signal skipButton()
    signal tempoScaleButton()
    signal transposeButton()
    signal vampButton()
    signal oscButton()
    signal editButton()
    signal deleteButton()
    signal undoButton()
    signal redoButton()
    signal saveButton()
    signal shareButton()

    height: 56

    ZarnTheme {
        id: theme
    }

    RowLayout {
        anchors.fill: parent
        spacing: 9

        Text {
            Layout.preferredWidth: 80
            Layout.alignment: Qt.AlignVCenter
            text: "Controls"
            horizontalAlignment: Text.AlignRight
            font.bold: true
            font.pixelSize: 12
            color: theme.light_text_color
        }

        GraphicButton {
            objectName: "caesuraButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Caesura"
            imageSource: "qrc:/images/edit_caesura.svg"
            toolTip.text: "Add a pause in timeline"
            onClicked: bar.caesuraButton()
        }
        GraphicButton {
            objectName: "clickButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Click"
            imageSource: "qrc:/images/edit_click.svg"
            toolTip.text: "Change the click resolution of the metronome"
            onClicked: bar.clickButton()
        }
        GraphicButton {
            objectName: "cutButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Cut"
            imageSource: "qrc:/images/cut.svg"
            toolTip.text: "Remove section"
            onClicked: bar.cutButton()
        }
        GraphicButton {
            objectName: "markerButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Marker"
            imageSource: "qrc:/images/edit_marker.svg"
            toolTip.text: "Add reference note"
            onClicked: bar.markerButton()
        }
        GraphicButton {
            objectName: "repeatButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Repeat"
            imageSource: "qrc:/images/edit_repeat.svg"
            toolTip.text: "Repeat section"
            onClicked: bar.repeatButton()
        }
        GraphicButton {
            objectName: "skipButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Skip"
            imageSource: "qrc:/images/edit_skip.svg"
            toolTip.text: "Jump to end of section"
            onClicked: bar.skipButton()
        }
        GraphicButton {
            objectName: "tempoScaleButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Tempo"
            imageSource: "qrc:/images/edit_tempo.svg"
            toolTip.text: "Scale the tempo by percentage"
            onClicked: bar.tempoScaleButton()
        }
        GraphicButton {
            objectName: "transposeButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Transpose"
            imageSource: "qrc:/images/edit_transpose.png"
            toolTip.text: "Change the key by half steps"
            onClicked: bar.transposeButton()
        }
        GraphicButton {
            objectName: "vampButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Vamp"
            imageSource: "qrc:/images/edit_vamp.svg"
            toolTip.text: "Repeat section indefinitely"
            onClicked: bar.vampButton()
        }
        GraphicButton {
            objectName: "oscButton"
            Layout.alignment: Qt.AlignVCenter
            text: "OSC"
            imageSource: "qrc:/images/lan.svg"
            enabled: bar.enableOsc
            toolTip.text: bar.enableOsc ? "Create an OSC command" : "Unavailable in Halvard"
            onClicked: bar.oscButton()
        }

        Item {
            objectName: "filler"
            Layout.fillWidth: true
            Layout.preferredHeight: 1
        }

        GraphicButton {
            id: editBtn
            objectName: "editButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Edit"
            imageSource: "qrc:/images/edit_edit.svg"
            toolTip.text: "Edit the selected event"
            enabled: false
            onClicked: bar.editButton()
        }
        GraphicButton {
            id: deleteBtn
            objectName: "deleteButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Delete"
            imageSource: "qrc:/images/edit_delete.svg"
            toolTip.text: "Delete the selected event"
            enabled: false
            onClicked: bar.deleteButton()
        }

        Column {
            Layout.alignment: Qt.AlignVCenter
            spacing: 4

            GraphicButton {
                id: undoBtn
                objectName: "undoButton"
                width: 42
                showImage: false
                text: "Undo"
                toolTip.text: "Undo the last change"
                enabled: false
                onClicked: bar.undoButton()
            }
            GraphicButton {
                id: redoBtn
                objectName: "redoButton"
                width: 42
                showImage: false
                text: "Redo"
                toolTip.text: "Redo the last change"
                enabled: false
                onClicked: bar.redoButton()
            }
        }

        GraphicButton {
            id: saveBtn
            objectName: "saveButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Save"
            imageSource: "qrc:/images/save.svg"
            toolTip.text: "Save changes to local device (not shared)"
            enabled: false
            onClicked: bar.saveButton()
        }
        GraphicButton {
            id: shareBtn
            objectName: "shareButton"
            Layout.alignment: Qt.AlignVCenter
            text: "Share"
            imageSource: "qrc:/images/share.svg"
            toolTip.text: "Save and send changes to cast"
            enabled: false
            onClicked: bar.shareButton()
        }
    }
}
