import QtQuick
import QtQuick.Dialogs
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The OSC settings window: incoming OSC on or off, the listening port, the change log's OSC
// destinations and the QLab patch export. The controller (OscManagerController) fills it,
// listens to `okay`, `exportQLab`, `createNetwork` and `editNetwork`, and hides it after an
// accepted OK; a refused port comes back as `portErrorText`. Deleting a row and closing are the
// window's own business.
Window {
    id: root

    property alias oscListenPortString: portField.text
    property alias oscEnabled: enabledBox.checked
    property alias networkModel: networkList.model
    property string defaultQLabLocation: ""
    // The note under the port row; empty hides it.
    property string portErrorText: ""
    property int rowHeight: 35
    readonly property alias networkEditWindow: networkEditWindow
    readonly property alias folderDialog: folderDialog
    readonly property alias networkList: networkList

    signal okay()
    signal exportQLab(string exportFolder)
    signal createNetwork(string ip, int port, string mode, string name)
    signal editNetwork(int index, string ip, int port, string mode, string name, string networkId)
    signal deleteButton()

    function focusPort() {
        portField.forceActiveFocus();
    }

    function openNewNetwork() {
        networkEditWindow.networkName = "New Network Destination";
        networkEditWindow.ipAddress = "127.0.0.1";
        networkEditWindow.port = 8000;
        networkEditWindow.mode = "udp";
        networkEditWindow.isEdit = false;
        networkEditWindow.visible = true;
    }

    function openEditNetwork() {
        const row = networkList.currentIndex;
        if (row === -1 || !root.networkModel)
            return;
        networkEditWindow.ipAddress = root.networkModel.dataStr(row, "ipAddress");
        networkEditWindow.port = root.networkModel.dataStr(row, "port");
        networkEditWindow.mode = root.networkModel.dataStr(row, "mode");
        networkEditWindow.networkName = root.networkModel.dataStr(row, "name");
        networkEditWindow.networkId = root.networkModel.dataStr(row, "networkId");
        networkEditWindow.isEdit = true;
        networkEditWindow.visible = true;
    }

    function openExport() {
        if (root.defaultQLabLocation !== "")
            folderDialog.currentFolder = root.defaultQLabLocation;
        folderDialog.open();
    }

    title: qsTr("OSC Manager")
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    width: 550
    height: column.implicitHeight + 2 * column.anchors.margins
    minimumWidth: width
    maximumWidth: width
    minimumHeight: height
    maximumHeight: height
    color: theme.default_bg_color

    onDeleteButton: {
        if (networkList.currentIndex === -1 || !root.networkModel)
            return;
        root.networkModel.removeRows(networkList.currentIndex, 1);
        // The next Delete waits for the operator to pick the row it is meant for.
        networkList.currentIndex = -1;
    }
    onPortErrorTextChanged: {
        if (root.portErrorText !== "")
            portField.forceActiveFocus();
    }

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        id: column
        objectName: "column"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 16
        spacing: 8
        focus: true

        Keys.onReturnPressed: root.okay()
        Keys.onEnterPressed: root.okay()
        Keys.onEscapePressed: root.close()

        Text {
            text: qsTr("Application OSC Settings")
            font: theme.heavy_label
            color: theme.light_text_color
            Layout.alignment: Qt.AlignLeft
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: settingsColumn.implicitHeight + 2 * settingsColumn.anchors.margins
            color: Qt.lighter(theme.default_bg_color, 1.25)

            ColumnLayout {
                id: settingsColumn
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 16
                spacing: 15

                CustomCheckbox {
                    id: enabledBox
                    objectName: "enabledBox"
                    checkboxTextStr: qsTr("Allow incoming OSC connections")
                }

                ColumnLayout {
                    spacing: 4
                    RowLayout {
                        spacing: 10
                        Text {
                            text: qsTr("OSC Listening Port:")
                            font: theme.default_font
                            color: theme.default_text_color
                        }
                        RecessedTextInput {
                            id: portField
                            objectName: "listenPortField"
                            Layout.preferredWidth: 75
                            backgroundColor: theme.light_background_color
                            text: ""
                        }
                        Text {
                            text: qsTr("(UDP)")
                            font: theme.default_font
                            color: theme.default_text_color
                        }
                    }
                    Text {
                        objectName: "listenPortNote"
                        visible: root.portErrorText !== ""
                        text: root.portErrorText
                        font: theme.small_font
                        color: theme.light_text_color
                    }
                }

                RowLayout {
                    spacing: 10
                    Text {
                        text: qsTr("Export QLab OSC Patch File")
                        font: theme.default_font
                        color: theme.default_text_color
                    }
                    FlatButton {
                        objectName: "exportButton"
                        text: qsTr("Export")
                        onClicked: root.openExport()
                    }
                }
            }
        }

        Text {
            text: qsTr("Network Paths")
            font: theme.heavy_label
            color: theme.light_text_color
            Layout.alignment: Qt.AlignLeft
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: networkColumn.implicitHeight + 2 * networkColumn.anchors.margins
            color: Qt.lighter(theme.default_bg_color, 1.25)
            clip: true

            ColumnLayout {
                id: networkColumn
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 16
                spacing: 15

                CustomTwoColumnListView {
                    id: networkList
                    objectName: "networkList"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 200
                    currentIndex: -1
                    // A view picks its first row when it gets a model; nothing is selected
                    // until the operator picks a row.
                    onModelChanged: currentIndex = -1
                }

                RowLayout {
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredHeight: root.rowHeight
                    spacing: 10

                    FlatButton {
                        objectName: "newNetworkButton"
                        text: qsTr("New Network")
                        onClicked: root.openNewNetwork()
                    }
                    FlatButton {
                        objectName: "editButton"
                        text: qsTr("Edit")
                        enabled: networkList.currentIndex !== -1
                        onClicked: root.openEditNetwork()
                    }
                    FlatButton {
                        objectName: "deleteButton"
                        text: qsTr("Delete")
                        enabled: networkList.currentIndex !== -1
                        onClicked: root.deleteButton()
                    }
                }
            }
        }

        RowLayout {
            Layout.alignment: Qt.AlignRight
            spacing: 10

            FlatButton {
                objectName: "managerCancelButton"
                text: qsTr("Cancel")
                onClicked: root.close()
            }
            FlatButton {
                objectName: "managerOkButton"
                text: qsTr("OK")
                isDefault: true
                onClicked: root.okay()
            }
        }
    }

    NetworkEditWindow {
        id: networkEditWindow
        objectName: "networkEditWindow"
        visible: false
        transientParent: root

        onChangeRequest: (ip, port, mode, name, networkId) => root.editNetwork(networkList.currentIndex, ip, port,
                                                                                mode, name, networkId)
        onCreateRequest: (ip, port, mode, name) => root.createNetwork(ip, port, mode, name)
    }

    FolderDialog {
        id: folderDialog
        objectName: "folderDialog"
        title: qsTr("Export QLab OSC Patch File")
        onAccepted: root.exportQLab(folderDialog.selectedFolder.toString())
    }
}
