import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// A button with a labelled switch to its right: the packager's Package button and its
// advanced-features switch. Return works on either the focused button or the focused switch.
Item {
    id: root

    property alias toggleText: label.text
    property alias buttonText: button.text
    property alias toggled: toggle.checked
    property alias fontSize: label.font.pixelSize
    property alias toggle: toggle
    property alias button: button
    property real spacing: 5

    signal clicked()

    // The sum of the two controls' sizes, in both directions: room for either laid out alone.
    implicitWidth: button.implicitWidth + toggle.implicitWidth
    implicitHeight: button.implicitHeight + toggle.implicitHeight

    ZarnTheme {
        id: theme
    }

    FlatButton {
        id: button
        objectName: "packageButton"
        x: root.spacing
        width: 80
        anchors.verticalCenter: parent.verticalCenter
        text: qsTr("Package")
        onClicked: root.clicked()
        Keys.onReturnPressed: event => {
            button.clicked();
            event.accepted = true;
        }
    }

    Switch {
        id: toggle
        objectName: "advancedSwitch"
        x: button.x + button.width + root.spacing
        anchors.verticalCenter: parent.verticalCenter
        scale: activeFocus ? 0.75 : 0.65
        focusPolicy: Qt.StrongFocus
        Keys.onReturnPressed: event => {
            toggle.toggle();
            event.accepted = true;
        }
    }

    Text {
        id: label
        objectName: "switchLabel"
        x: toggle.x + toggle.width + root.spacing
        anchors.verticalCenter: parent.verticalCenter
        text: ""
        color: theme.default_text_color
    }
}
