import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The Cancel and OK row closing every event tool. The row only reports: the tool decides
// what OK and Cancel do. Return and Escape work wherever the focus sits in the row.
Item {
    id: root

    readonly property alias cancelButton: cancelButton
    readonly property alias okButton: okButton

    signal okayClicked()
    signal cancelClicked()

    implicitWidth: buttonRow.implicitWidth
    implicitHeight: cancelButton.implicitHeight

    Keys.onEscapePressed: event => {
        root.cancelClicked();
        event.accepted = true;
    }
    Keys.onReturnPressed: event => {
        root.okayClicked();
        event.accepted = true;
    }
    Keys.onEnterPressed: event => {
        root.okayClicked();
        event.accepted = true;
    }

    RowLayout {
        id: buttonRow
        anchors.fill: parent
        spacing: 20

        Rectangle {
            Layout.fillWidth: true
            color: "transparent"
        }

        // The buttons draw their own focus highlight while they hold the active focus.
        FlatButton {
            id: cancelButton
            objectName: "cancelButton"
            Layout.alignment: Qt.AlignRight
            Layout.preferredWidth: 80
            text: qsTr("Cancel")
            onClicked: root.cancelClicked()
        }

        FlatButton {
            id: okButton
            objectName: "okButton"
            Layout.alignment: Qt.AlignRight
            Layout.preferredWidth: cancelButton.Layout.preferredWidth
            text: qsTr("OK")
            isDefault: true
            onClicked: root.okayClicked()
        }
    }
}
