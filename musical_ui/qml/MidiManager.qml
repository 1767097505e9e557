import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The MIDI Manager: the MIDI input the engine listens to, its connected lamp, and one row per
// engine command (MidiManagerCommand), which the controller (MidiManagerController) places in
// `commandColumnObject`. The window grows with the rows; it cannot be resized.
Window {
    id: root

    property var sourceModel: []
    property int sourceIndex: 0
    property bool sourceStatus: false
    // What the source box says while there is no source to choose.
    property string noSourceText: ""
    property bool showMSCOptions: false
    readonly property alias commandColumnObject: commandColumn
    readonly property alias sourceBox: sourceBox
    readonly property alias sourceLamp: sourceLamp
    readonly property alias closeButton: closeButton
    readonly property alias contentColumn: column

    signal sourceSelected(int sourceIndex)

    title: qsTr("MIDI Manager")
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    width: 660
    minimumWidth: width
    maximumWidth: width
    height: column.implicitHeight + 2 * column.anchors.margins
    minimumHeight: height
    maximumHeight: height
    color: theme.default_bg_color

    onVisibleChanged: {
        if (visible)
            closeButton.forceActiveFocus();
    }

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        id: column
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 16
        spacing: 16

        Rectangle {
            objectName: "sourceBand"
            Layout.fillWidth: true
            Layout.preferredHeight: 50
            color: Qt.lighter(theme.default_bg_color, 1.25)

            RowLayout {
                anchors.fill: parent
                anchors.margins: 10
                spacing: 10

                Text {
                    text: qsTr("MIDI Source")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomComboBox {
                    id: sourceBox
                    objectName: "sourceBox"
                    Layout.preferredWidth: 250
                    Layout.preferredHeight: 30
                    model: root.sourceModel
                    currentIndex: root.sourceIndex
                    displayText: sourceBox.count === 0 ? root.noSourceText : sourceBox.comboControl.currentText
                    onActivated: root.sourceSelected(sourceBox.currentIndex)
                }
                Indicator {
                    id: sourceLamp
                    objectName: "sourceLamp"
                    size: 16
                    value: root.sourceStatus
                }
                Item {
                    Layout.fillWidth: true
                }
            }
        }

        Rectangle {
            objectName: "mscBand"
            visible: root.showMSCOptions
            Layout.fillWidth: true
            Layout.preferredHeight: 50
            color: Qt.lighter(theme.default_bg_color, 1.25)

            RowLayout {
                anchors.fill: parent
                anchors.margins: 10
                spacing: 10

                Text {
                    id: mscLabel
                    text: qsTr("MSC Device ID")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomSpinBox {
                    Layout.preferredWidth: 125
                    from: 0
                    to: 127
                    intValue: 78
                }
                Item {
                    Layout.fillWidth: true
                }
            }
        }

        Rectangle {
            objectName: "commandGrid"
            Layout.fillWidth: true
            Layout.preferredHeight: header.implicitHeight + commandColumn.implicitHeight + 3 * 10
            color: Qt.lighter(theme.default_bg_color, 1.25)

            RowLayout {
                id: header
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 10
                spacing: 0

                Repeater {
                    model: [
                        {"text": qsTr("Command"), "width": 125},
                        {"text": qsTr("MIDI Status"), "width": 150},
                        {"text": qsTr("Channel"), "width": 75},
                        {"text": qsTr("Note"), "width": 75},
                        {"text": qsTr("Learn"), "width": 100},
                        {"text": qsTr("Status"), "width": 40}
                    ]
                    Text {
                        required property var modelData
                        required property int index
                        Layout.preferredWidth: modelData.width
                        Layout.preferredHeight: mscLabel.implicitHeight
                        text: modelData.text
                        font: theme.default_font
                        color: theme.default_text_header_color
                        horizontalAlignment: index === 5 ? Text.AlignHCenter : Text.AlignLeft
                    }
                }
                Item {
                    Layout.fillWidth: true
                }
            }

            Column {
                id: commandColumn
                objectName: "commandColumn"
                anchors.top: header.bottom
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 10
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Item {
                Layout.fillWidth: true
            }
            FlatButton {
                id: closeButton
                objectName: "closeButton"
                text: qsTr("Close")
                focus: true
                onClicked: root.close()
                Keys.onEscapePressed: root.close()
            }
        }
    }
}
