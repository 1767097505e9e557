import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// The jump-to-bar prompt. The bar number stays text from end to end: the engine decides what
// it means, and its answer comes back through result() before ok() has returned.
Item {
    id: root

    property string barNum: "0"
    property alias promptText: hint.text

    // Reached by the tests.
    readonly property alias popup: popup
    readonly property alias field: field
    readonly property alias okButton: okButton
    readonly property alias cancelButton: cancelButton

    signal ok()

    function open() {
        popup.open();
    }

    function exit() {
        field.text = "";
        field.forceActiveFocus();
        popup.close();
    }

    function result(success) {
        if (success) {
            popup.close();
            return;
        }
        answer.refused = true;
        field.text = qsTr("Bar not found!");
        field.forceActiveFocus();
        field.selectAll();
    }

    function submit() {
        answer.refused = false;
        barNum = field.displayText;
        field.text = "";
        field.forceActiveFocus();
        ok();
    }

    QtObject {
        id: answer
        // Set when the submission just made was answered "not found".
        property bool refused: false
    }

    ZarnTheme {
        id: theme
    }

    Popup {
        id: popup
        objectName: "jumpPopup"
        x: 300
        y: 220
        width: 280
        height: 50
        padding: 0
        modal: true
        focus: true

        Overlay.modal: Rectangle {
            color: "#88000000"
        }

        background: Rectangle {
            color: theme.light_background_color
        }

        onOpened: field.forceActiveFocus()
        onClosed: root.exit()

        TextField {
            id: field
            objectName: "barField"
            x: 10
            width: 120
            height: 40
            anchors.verticalCenter: parent.verticalCenter
            leftPadding: 10
            color: theme.light_text_color
            verticalAlignment: TextInput.AlignVCenter
            font: theme.default_font
            selectByMouse: true
            background: Rectangle {
                color: "black"
            }
            onAccepted: root.submit()

            // Laid over the field rather than its own placeholder, which would elide the
            // hint in so narrow a field.
            Text {
                id: hint
                objectName: "hint"
                anchors.verticalCenter: parent.verticalCenter
                padding: 10
                text: qsTr("Enter Bar Number")
                color: theme.default_text_color
                font.pixelSize: 12
                visible: field.length === 0 && field.preeditText === ""
            }
        }

        FlatButton {
            id: cancelButton
            objectName: "cancelButton"
            anchors.left: field.right
            anchors.leftMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            width: 60
            text: qsTr("Cancel")
            isCancel: true
            onClicked: root.exit()
        }

        FlatButton {
            id: okButton
            objectName: "okButton"
            anchors.left: cancelButton.right
            anchors.leftMargin: 10
            anchors.verticalCenter: parent.verticalCenter
            width: 60
            text: qsTr("OK")
            isDefault: true
            // Submits like Return; the prompt stays only when the bar was not found.
            onClicked: {
                root.submit();
                if (!answer.refused)
                    root.exit();
            }
        }
    }
}
