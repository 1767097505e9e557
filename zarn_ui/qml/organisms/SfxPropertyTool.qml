import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The parameters of one custom audio entry: a file (or a source from the list), play or stop,
// volume, fades and loop. OK hands them to the host in one update and closes the window;
// nothing is checked here.
EditTool {
    id: root

    property alias effectModel: sourceCombo.model
    property alias effectIdIndex: sourceCombo.currentIndex
    readonly property var effectId: root.chosenValue(sourceCombo)
    readonly property string effectText: sourceCombo.currentIndex < 0 ? "" : sourceCombo.comboControl.currentText
    property alias outputPathsModel: pathCombo.model
    property alias outputPathIndex: pathCombo.currentIndex
    readonly property var outputPath: root.chosenValue(pathCombo)
    property alias name: nameField.text
    property bool isNameDirty: false
    property alias volume: volumeSlider.value
    property alias pan: panSlider.value
    property alias reverb: reverbSlider.value
    property alias fadeIn: fadeInField.text
    property alias fadeOut: fadeOutField.text
    property alias loop: loopBox.checked
    property int prefColumnWidth: 200
    property bool usesCustomAudioFile: true
    property alias filename: fileInput.value
    property alias fileUrl: fileInput.fileUrl
    property alias commandIndex: commandCombo.currentIndex
    readonly property alias mainColumn: mainColumn
    readonly property alias buttons: buttonRow

    signal updateCustomAudioEntry(url fileUrl, int commandIndex, real volume, real pan, int fadeIn, int fadeOut,
                                  bool loop)
    signal toolClosing()

    // See StandaloneSfxTool: the chosen row's value from `currentValue`, empty without a row.
    function chosenValue(combo) {
        if (combo.currentIndex < 0)
            return "";
        const value = combo.currentValue;
        return value === undefined || value === null ? "" : value;
    }

    function setOutputPathIndexFromName(name) {
        root.outputPathIndex = pathCombo.indexOfValue(name);
    }

    // Seconds as typed to whole milliseconds, as the instance tool reads them: held at the
    // ends of the 32-bit range, never wrapped; no leading number or an infinite one gives 0.
    function fadeMilliseconds(text) {
        const seconds = parseFloat(text);
        if (isNaN(seconds))
            return 0;
        const ms = seconds * 1000;
        if (!isFinite(ms))
            return 0;
        return Math.trunc(Math.max(-2147483648, Math.min(2147483647, ms)));
    }

    function gainOf(position) {
        return Math.pow(10, 25 * Math.log(position) / 20);
    }

    function pressOk() {
        const fadeInMs = root.fadeMilliseconds(fadeInField.text);
        const fadeOutMs = root.fadeMilliseconds(fadeOutField.text);
        const gain = root.gainOf(volumeSlider.value);
        root.updateCustomAudioEntry(fileInput.fileUrl, commandCombo.currentIndex, gain, panSlider.value, fadeInMs,
                                    fadeOutMs, loopBox.checked);
        root.close();
    }

    width: mainColumn.implicitWidth + 50
    height: mainColumn.implicitHeight + 50
    title: "Custom Audio Parameters"
    flags: Qt.Dialog | Qt.CustomizeWindowHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal

    // OK, Cancel and the close button all end here.
    onWindowClosing: {
        root.isNameDirty = false;
        root.toolClosing();
    }

    Binding {
        target: nameField
        property: "text"
        value: root.effectText
        when: !root.isNameDirty
        restoreMode: Binding.RestoreNone
    }

    ColumnLayout {
        id: mainColumn
        objectName: "mainColumn"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 25
        spacing: 15

        GridLayout {
            objectName: "grid"
            columns: 2
            columnSpacing: 15
            rowSpacing: 10

            Text {
                text: qsTr("Name")
                font: theme.default_font
                color: theme.default_text_color
                visible: false
            }
            RecessedTextInput {
                id: nameField
                objectName: "nameField"
                Layout.preferredWidth: root.prefColumnWidth
                visible: false
                onTextEdited: root.isNameDirty = true
            }

            Text {
                text: qsTr("Output Path")
                font: theme.default_font
                color: theme.default_text_color
                visible: false
            }
            CustomComboBox {
                id: pathCombo
                objectName: "pathCombo"
                Layout.preferredWidth: root.prefColumnWidth
                textRole: "path_name"
                valueRole: "path_id"
                visible: false
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                Layout.topMargin: 5
                Layout.bottomMargin: 2
                text: qsTr("Source File")
                font: theme.default_font
                color: theme.default_text_color
            }
            FileInputControl {
                id: fileInput
                objectName: "fileInput"
                Layout.alignment: Qt.AlignLeft
                Layout.topMargin: 5
                Layout.preferredWidth: root.prefColumnWidth
                Layout.preferredHeight: implicitHeight
                spacing: 15
                nameFilters: ["WAV Files (*.wav)", "All files (*)"]
                visible: root.usesCustomAudioFile
            }
            CustomComboBox {
                id: sourceCombo
                objectName: "sourceCombo"
                Layout.alignment: Qt.AlignLeft
                Layout.topMargin: 5
                Layout.bottomMargin: 2
                Layout.preferredWidth: root.prefColumnWidth
                textRole: "displayname"
                valueRole: "sfxid"
                visible: !root.usesCustomAudioFile
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                Layout.bottomMargin: 2
                text: qsTr("Command")
                font: theme.default_font
                color: theme.default_text_color
            }
            CustomComboBox {
                id: commandCombo
                objectName: "commandCombo"
                Layout.alignment: Qt.AlignLeft
                Layout.bottomMargin: 2
                Layout.preferredWidth: root.prefColumnWidth
                textRole: "displayName"
                valueRole: "commandIndex"
                model: ListModel {
                    ListElement {
                        displayName: "Play"
                        commandIndex: 0
                    }
                    ListElement {
                        displayName: "Stop"
                        commandIndex: 1
                    }
                }
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Volume")
                font: theme.default_font
                color: theme.default_text_color
            }
            ZarnCustomVolumeSlider {
                id: volumeSlider
                objectName: "volumeSlider"
                Layout.alignment: Qt.AlignLeft
                Layout.preferredWidth: root.prefColumnWidth
                value: 0.7866278611
                // Here the level shows only while the pointer rests on the slider.
                toolTip.visible: volumeSlider.hovered
            }

            Text {
                text: qsTr("Pan")
                font: theme.default_font
                color: theme.default_text_color
                visible: false
            }
            ZarnCustomSlider {
                id: panSlider
                objectName: "panSlider"
                Layout.preferredWidth: root.prefColumnWidth
                from: 0
                to: 100
                value: 50
                zeroMark: 50
                visible: false
            }

            Text {
                text: qsTr("Reverb")
                font: theme.default_font
                color: theme.default_text_color
                visible: false
            }
            ZarnCustomSlider {
                id: reverbSlider
                objectName: "reverbSlider"
                Layout.preferredWidth: root.prefColumnWidth
                from: 0
                to: 100
                value: 50
                showZeroMark: false
                visible: false
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Fade In (sec)")
                font: theme.default_font
                color: theme.default_text_color
            }
            RecessedTextInput {
                id: fadeInField
                objectName: "fadeInField"
                Layout.alignment: Qt.AlignLeft
                Layout.preferredWidth: root.prefColumnWidth / 2
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Fade Out (sec)")
                font: theme.default_font
                color: theme.default_text_color
            }
            RecessedTextInput {
                id: fadeOutField
                objectName: "fadeOutField"
                Layout.alignment: Qt.AlignLeft
                Layout.preferredWidth: root.prefColumnWidth / 2
            }

            CustomCheckbox {
                id: loopBox
                objectName: "loopBox"
                Layout.alignment: Qt.AlignLeft
                checkboxTextStr: "Loop"
            }
        }

        StandardEditButtons {
            id: buttonRow
            objectName: "buttonRow"
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: 5
            onOkayClicked: root.pressOk()
            onCancelClicked: root.close()
        }

        EventIdLabel {
            objectName: "eventIdLabel"
            Layout.fillWidth: true
            value: root.eventId
            visible: !root.usesCustomAudioFile
        }
    }
}
