import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import com.lanternhillstudios.zarn_ui

// The Audio Manager: the engine's output device. The controller (AudioManagerController) fills
// the device list, the selection and the hidden volume, reads them back on `okay`, and keeps
// `soundProblem` (a lost device, say) up to date while the window is shown.
Window {
    id: root

    property int mainMargin: 16
    property int mainSpacing: 16
    property alias outputDeviceModel: deviceBox.model
    property alias outputDeviceIndex: deviceBox.currentIndex
    readonly property alias outputDeviceValue: deviceBox.currentValue
    property alias outputVolume: volumeSlider.value
    readonly property real outputVolumeLinear: 10 ** (25.0 * Math.log(root.outputVolume) / 20.0)
    // One line in the panel; empty hides it.
    property string soundProblem: ""
    readonly property alias deviceBox: deviceBox
    readonly property alias volumeSlider: volumeSlider
    readonly property alias okButton: okButton
    readonly property alias cancelButton: cancelButton

    signal okay()

    title: "Audio Manager"
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    width: 360
    minimumWidth: width
    maximumWidth: width
    height: column.implicitHeight + 2 * root.mainMargin
    minimumHeight: height
    maximumHeight: height
    color: theme.default_bg_color

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        id: column
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: root.mainMargin
        spacing: root.mainSpacing

        Text {
            text: qsTr("Audio Output")
            font: theme.heavy_label
            color: theme.light_text_color
            Layout.alignment: Qt.AlignLeft
        }

        Rectangle {
            objectName: "devicePanel"
            Layout.fillWidth: true
            Layout.preferredHeight: grid.implicitHeight + 2 * 16
            radius: 3
            color: Qt.lighter(theme.default_bg_color, 1.25)

            GridLayout {
                id: grid
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 16
                columns: 2
                rowSpacing: 16
                columnSpacing: 10

                Text {
                    text: qsTr("Device")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomComboBox {
                    id: deviceBox
                    objectName: "deviceBox"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 30
                    onEnterPressed: root.okay()
                }

                Item {
                    Layout.preferredWidth: 1
                }
                Text {
                    Layout.fillWidth: true
                    text: qsTr("• Bluetooth devices are not supported\n• Adding or removing an audio device while the application is running may cause stability issues")
                    font: theme.small_font
                    color: theme.dim_text_color
                    wrapMode: Text.WordWrap
                }

                Text {
                    visible: false
                    text: qsTr("Volume")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                ZarnCustomSlider {
                    id: volumeSlider
                    objectName: "volumeSlider"
                    visible: false
                    Layout.fillWidth: true
                    from: 0.04076220398
                    to: 1.0
                    sliderStep: 0.01
                    zeroMark: 0.7866278611
                    showZeroMark: true
                    customDisplayFunction: function (value) {
                        return (25 * Math.log(value)).toFixed(3);
                    }
                    customInvertFunction: function (text) {
                        return Math.exp(Number(text) / 25);
                    }

                    ZarnToolTip {
                        delay: 500
                        visible: volumeSlider.hovered || volumeSlider.isFocused
                        text: "Value: " + (25 * Math.log(volumeSlider.value)).toFixed(1) + " dB"
                    }
                }

                Text {
                    objectName: "soundProblemLine"
                    visible: root.soundProblem !== ""
                    Layout.columnSpan: 2
                    Layout.fillWidth: true
                    text: root.soundProblem
                    font: theme.small_font
                    color: "#FF5757"
                    wrapMode: Text.WordWrap
                }
            }
        }

        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 10
            FlatButton {
                id: cancelButton
                objectName: "cancelButton"
                text: "Cancel"
                onClicked: root.close()
            }
            FlatButton {
                id: okButton
                objectName: "okButton"
                text: "OK"
                isDefault: true
                onClicked: root.okay()
            }
        }
    }
}
