import QtQuick
import QtQuick.Window
import com.lanternhillstudios.zarn_ui

// The "Downloading Show" window of the start-up: the download's latest status, one bar for
// the whole download with its size, Cancel, and the error dialog. Its controller feeds it
// through the signals below and shows and hides it; it holds no logic beyond formatting.
Window {
    id: root

    property string downloadStatus: "Starting up..."

    // Reached by the tests.
    readonly property alias statusText: statusValue
    readonly property alias progressBar: bar
    readonly property alias sizeLabel: sizeText
    readonly property alias cancelButton: cancelButton
    readonly property alias errorDialog: errorDialog

    signal cancel()
    signal downloadError(msg: string)
    signal progressChanged(int bytesReceived, int total)
    signal totalProgressChanged(int bytesReceived, int total)
    signal statusChanged(status: string)
    signal downloadErrorAcknowledged()

    // "received/total unit", in whole MB above 1 MiB, else whole kB; the total never reads 0.
    function sizeLabelText(bytesReceived, total) {
        const mib = 1024 * 1024;
        if (total > mib)
            return Math.floor(bytesReceived / mib) + "/" + Math.max(Math.floor(total / mib), 1) + " MB";
        return Math.floor(bytesReceived / 1024) + "/" + Math.max(Math.floor(total / 1024), 1) + " kB";
    }

    // The dialog's OK and its title-bar close both go on with the start-up, once: OK closes
    // the dialog too.
    property bool errorAcknowledged: false
    function acknowledgeError() {
        if (errorAcknowledged)
            return;
        errorAcknowledged = true;
        downloadErrorAcknowledged();
    }

    onStatusChanged: (status) => { downloadStatus = status; }
    onDownloadError: (msg) => {
        errorDialog.text = msg;
        errorDialog.visible = true;
    }
    onTotalProgressChanged: (bytesReceived, total) => {
        bar.value = total > 0 ? bytesReceived / total : 0;
        sizeText.text = sizeLabelText(bytesReceived, total);
    }

    title: "Downloading Show"
    width: 480
    height: column.height + 30
    minimumWidth: 480
    maximumWidth: 480
    minimumHeight: column.height + 30
    maximumHeight: column.height + 30
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint
    color: theme.default_bg_color
    visible: true

    ZarnTheme {
        id: theme
    }

    Column {
        id: column
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 15
        spacing: 15

        Rectangle {
            width: parent.width
            height: panel.height + 30
            color: Qt.lighter(theme.default_bg_color, 1.6)

            Column {
                id: panel
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.margins: 15
                spacing: 10

                Row {
                    width: parent.width

                    Text {
                        id: statusLabel
                        text: "Status: "
                        color: theme.default_text_header_color
                        font: theme.default_font
                    }
                    Text {
                        id: statusValue
                        objectName: "statusText"
                        width: parent.width - statusLabel.width
                        text: root.downloadStatus
                        elide: Text.ElideRight
                        color: theme.default_text_header_color
                        font: theme.default_font
                    }
                }

                Row {
                    spacing: 10

                    FlatProgressBar {
                        id: bar
                        objectName: "progressBar"
                        width: 300
                        value: 0
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        id: sizeText
                        objectName: "sizeLabel"
                        text: ""
                        color: theme.default_text_color
                        font: theme.default_font
                    }
                }
            }
        }

        FlatButton {
            id: cancelButton
            objectName: "cancelButton"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Cancel"
            onClicked: root.cancel()
        }
    }

    FlatDialogWindow {
        id: errorDialog
        objectName: "errorDialog"
        title: "Error"
        type: "ERROR"
        visible: false
        onAccepted: root.acknowledgeError()
        onClosing: root.acknowledgeError()
    }
}
