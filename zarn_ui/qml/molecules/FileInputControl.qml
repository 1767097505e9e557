import QtQuick
import QtQuick.Dialogs
import com.lanternhillstudios.zarn_ui

// A read-only file field with a "Choose" button; only the file chooser fills it. The label
// is kept for its text but never shown.
Item {
    id: control

    property alias text: label.text
    property alias value: input.text
    property alias theme: themeInstance
    readonly property alias field: input.field
    readonly property alias button: chooseButton
    readonly property alias chooser: fileChooser
    property alias nameFilters: fileChooser.nameFilters
    property int spacing: 10
    property int fontSize: 16
    property url fileUrl: Qt.resolvedUrl(".")

    // The chosen file as a local path: "file://" removed and the escapes decoded, so spaces
    // and non-ASCII names come through as they are on disk.
    function localPathOf(url, os) {
        let text = String(url);
        if (text.startsWith("file:///"))
            text = text.substring(7);
        else if (text.startsWith("file://"))
            text = text.substring(5); // a host: keep it as //host/share
        try {
            text = decodeURIComponent(text);
        } catch (error) {
            console.warn("Cannot decode the chosen path:", text);
        }
        if ((os ?? Qt.platform.os) === "windows" && /^\/[A-Za-z]:/.test(text))
            text = text.substring(1);
        return text;
    }

    function acceptFile(url) {
        control.fileUrl = url;
        input.text = control.localPathOf(url);
        control.textChanged();
    }

    implicitHeight: label.implicitHeight + control.spacing + input.implicitHeight
    implicitWidth: label.implicitWidth + input.implicitWidth

    ZarnTheme {
        id: themeInstance
    }

    Text {
        id: label
        objectName: "label"
        width: 0
        height: 0
        visible: false
        text: "Label"
        font.pixelSize: control.fontSize
        color: themeInstance.default_text_color
    }

    RecessedTextInput {
        id: input
        objectName: "input"
        y: control.spacing
        width: chooseButton.x - control.spacing
        editable: false
    }

    FlatButton {
        id: chooseButton
        objectName: "chooseButton"
        x: control.width - width
        y: input.y
        width: 60
        height: input.height
        text: qsTr("Choose")
        onClicked: fileChooser.open()
        Keys.onReturnPressed: fileChooser.open()
    }

    FileDialog {
        id: fileChooser
        modality: Qt.WindowModal
        fileMode: FileDialog.OpenFile
        onAccepted: {
            control.acceptFile(fileChooser.selectedFile);
            fileChooser.close();
        }
    }
}
