import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// Creates or edits one sound-effect instance: a named use of a source with its own volume,
// pan, fades and loop. OK hands everything to the host in one request, the volume as a linear
// gain and the fades in milliseconds; nothing is checked here, the host decides.
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
    readonly property alias mainColumn: mainColumn
    readonly property alias buttons: buttonRow

    signal createRequest(string name, string outputPath, int outputPathIndex, string effectId, int effectIdIndex,
                         real volume, real pan, int reverb, int fadeIn, int fadeOut, int repeats)
    signal changeRequest(string name, string outputPath, int outputPathIndex, string effectId, int effectIdIndex,
                         real volume, real pan, int reverb, int fadeIn, int fadeOut, int repeats)
    signal toolClosing()

    // The list's value of its chosen row, read from `currentValue`: the list's valueAt reads
    // numbers and would turn text ids into NaN. No chosen row is empty.
    function chosenValue(combo) {
        if (combo.currentIndex < 0)
            return "";
        const value = combo.currentValue;
        return value === undefined || value === null ? "" : value;
    }

    function setOutputPathIndexFromName(name) {
        root.outputPathIndex = pathCombo.indexOfValue(name);
    }

    // Seconds as typed to whole milliseconds: the leading number of the text, 0 when there is
    // none. A time beyond the 32-bit range is held at its end rather than wrapped round to a
    // time of the other sign; an infinite one gives 0.
    function fadeMilliseconds(text) {
        const seconds = parseFloat(text);
        if (isNaN(seconds))
            return 0;
        const ms = seconds * 1000;
        if (!isFinite(ms))
            return 0;
        return Math.trunc(Math.max(-2147483648, Math.min(2147483647, ms)));
    }

    // The linear gain of a slider position v: 10^(25 ln v / 20).
    function gainOf(position) {
        return Math.pow(10, 25 * Math.log(position) / 20);
    }

    function pressOk() {
        const fadeInMs = root.fadeMilliseconds(fadeInField.text);
        const fadeOutMs = root.fadeMilliseconds(fadeOutField.text);
        const gain = root.gainOf(volumeSlider.value);
        const args = [nameField.text, String(root.outputPath), pathCombo.currentIndex, String(root.effectId),
                      sourceCombo.currentIndex, gain, panSlider.value, reverbSlider.value | 0, fadeInMs, fadeOutMs,
                      loopBox.checked ? -1 : 0];
        if (root.isEdit)
            root.changeRequest(...args);
        else
            root.createRequest(...args);
        root.visible = false;
        root.toolClosing();
    }

    function pressCancel() {
        root.visible = false;
        root.toolClosing();
    }

    width: mainColumn.implicitWidth + 50
    height: mainColumn.implicitHeight + 50
    title: (root.isEdit ? qsTr("Edit ") : qsTr("Create ")) + qsTr("Instance")
    flags: Qt.Dialog | Qt.CustomizeWindowHint | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal

    onWindowClosing: {
        root.isNameDirty = false;
        root.toolClosing();
    }
    onVisibleChanged: {
        if (visible)
            mainColumn.forceActiveFocus();
    }

    // The name follows the chosen source until the user types one.
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
        focus: true

        Keys.onEscapePressed: root.pressCancel()
        Keys.onReturnPressed: root.pressOk()

        GridLayout {
            objectName: "grid"
            columns: 2
            columnSpacing: 15
            rowSpacing: 10

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Name")
                font: theme.default_font
                color: theme.default_text_color
            }
            RecessedTextInput {
                id: nameField
                objectName: "nameField"
                Layout.alignment: Qt.AlignLeft
                Layout.preferredWidth: root.prefColumnWidth
                onTextEdited: root.isNameDirty = true
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Output Path")
                font: theme.default_font
                color: theme.default_text_color
                visible: false
            }
            CustomComboBox {
                id: pathCombo
                objectName: "pathCombo"
                Layout.alignment: Qt.AlignLeft
                Layout.preferredWidth: root.prefColumnWidth
                textRole: "path_name"
                valueRole: "path_id"
                visible: false
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Source File")
                font: theme.default_font
                color: theme.default_text_color
            }
            CustomComboBox {
                id: sourceCombo
                objectName: "sourceCombo"
                Layout.alignment: Qt.AlignLeft
                Layout.preferredWidth: root.prefColumnWidth
                textRole: "displayname"
                valueRole: "sfxid"
                onEnterPressed: root.pressOk()
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
                value: 0.5
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Pan")
                font: theme.default_font
                color: theme.default_text_color
            }
            ZarnCustomSlider {
                id: panSlider
                objectName: "panSlider"
                Layout.alignment: Qt.AlignLeft
                Layout.preferredWidth: root.prefColumnWidth
                from: 0
                to: 100
                value: 50
                zeroMark: 50
                showZeroMark: true
                customDisplayFunction: function (value) {
                    return value.toFixed(2);
                }

                ZarnToolTip {
                    objectName: "panToolTip"
                    parent: panSlider
                    delay: 500
                    text: "Value: " + panSlider.value.toFixed(2)
                    visible: panSlider.hovered || panSlider.activeFocus
                }
            }

            Text {
                Layout.alignment: Qt.AlignLeft | Qt.AlignVCenter
                text: qsTr("Reverb")
                font: theme.default_font
                color: theme.default_text_color
                visible: false
            }
            ZarnCustomSlider {
                id: reverbSlider
                objectName: "reverbSlider"
                Layout.alignment: Qt.AlignLeft
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
            onOkayClicked: root.pressOk()
            onCancelClicked: root.pressCancel()
        }

        EventIdLabel {
            objectName: "eventIdLabel"
            Layout.fillWidth: true
            value: root.eventId
        }
    }
}
