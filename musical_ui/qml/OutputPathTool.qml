import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import com.lanternhillstudios.zarn_ui

// The small form of the output paths window in which a path is named and given a device. It
// talks only to the window: OK asks for a new path or a change by `isEdit`, then closes; Cancel
// and the title bar's close only close. A device is chosen by position (`pathDeviceIndex`):
// -1 chooses none, which a change takes as "keep the path's device".
EditTool {
    id: root

    property alias pathName: nameField.text
    readonly property string pathDevice: deviceBox.currentIndex >= 0 && deviceBox.currentValue !== undefined
                                         ? String(deviceBox.currentValue) : ""
    property alias pathDeviceIndex: deviceBox.currentIndex
    property var deviceList: ["Speaker 1", "Speaker 2"]
    readonly property alias nameField: nameField
    readonly property alias deviceBox: deviceBox
    readonly property alias buttons: buttons

    signal createPathRequest(string pathName, string pathDevice)
    signal changePathRequest(string pathName, string pathDevice)
    signal pathToolClosing()

    // The entry whose text is `pathDevice`; the current entry stays when no entry has it.
    function selectDevice(pathDevice) {
        for (let i = 0; i < deviceBox.count; ++i) {
            if (String(root.deviceList[i]) === pathDevice) {
                deviceBox.currentIndex = i;
                return;
            }
        }
    }

    function accept() {
        if (root.isEdit)
            root.changePathRequest(nameField.text, root.pathDevice);
        else
            root.createPathRequest(nameField.text, root.pathDevice);
        root.close();
    }

    width: 250
    height: 250
    title: root.isEdit ? qsTr("Edit Output Path") : qsTr("Create Output Path")
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint

    onClosing: root.pathToolClosing()
    onVisibleChanged: {
        if (visible)
            nameField.forceActiveFocus();
    }
    Component.onCompleted: nameField.forceActiveFocus()

    Text {
        id: nameLabel
        x: 10
        y: 15
        text: qsTr("Output Path Name")
        font: root.theme.default_font
        color: root.theme.default_text_color
    }

    RecessedTextInput {
        id: nameField
        objectName: "pathNameField"
        x: 10
        anchors.top: nameLabel.bottom
        anchors.topMargin: 15
        width: root.width - 20
        Keys.onReturnPressed: root.accept()
        Keys.onEnterPressed: root.accept()
        Keys.onEscapePressed: root.close()
    }

    Text {
        id: deviceLabel
        x: 10
        anchors.top: nameField.bottom
        anchors.topMargin: 15
        text: qsTr("Output Device")
        font: root.theme.default_font
        color: root.theme.default_text_color
    }

    CustomComboBox {
        id: deviceBox
        objectName: "pathDeviceBox"
        x: 10
        anchors.top: deviceLabel.bottom
        anchors.topMargin: 5
        width: root.width - 20
        model: root.deviceList
        onEnterPressed: root.accept()
    }

    StandardEditButtons {
        id: buttons
        objectName: "pathToolButtons"
        anchors.top: deviceBox.bottom
        anchors.topMargin: 25
        anchors.right: parent.right
        anchors.rightMargin: 10
        onOkayClicked: root.accept()
        onCancelClicked: root.close()
    }
}
