import QtQuick
import QtQuick.Dialogs
import com.lanternhillstudios.zarn_ui

// A label over a folder field with a "Choose" button. The field can be typed into or filled
// from the folder chooser; either raises `textChanged`.
Item {
    id: control

    property alias text: label.text
    property alias value: input.text
    property alias theme: themeInstance
    readonly property alias field: input.field
    readonly property alias button: chooseButton
    readonly property alias chooser: folderChooser
    property int spacing: 10
    property int fontSize: 16

    // The chosen folder as a local path: "file://" removed and the escapes decoded, so spaces
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

    function acceptFolder(url) {
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
        width: control.width
        height: implicitHeight
        text: "Label"
        font.pixelSize: control.fontSize
        color: themeInstance.default_text_color
    }

    RecessedTextInput {
        id: input
        objectName: "input"
        y: label.height + control.spacing
        width: chooseButton.x - control.spacing
        onTextEdited: control.textChanged()
    }

    FlatButton {
        id: chooseButton
        objectName: "chooseButton"
        x: control.width - width
        y: input.y
        width: 80
        height: input.height
        text: qsTr("Choose")
        onClicked: folderChooser.open()
        Keys.onReturnPressed: folderChooser.open()
    }

    FolderDialog {
        id: folderChooser
        modality: Qt.WindowModal
        onAccepted: {
            control.acceptFolder(folderChooser.selectedFolder);
            folderChooser.close();
        }
    }
}
