import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// The sunk one-line text field of the application, with Copy, Cut and Paste on the right
// mouse button. It clips, so of its recessed bevel only the dark top line shows.
Rectangle {
    id: root

    property alias text: field.text
    property color textColor: editable ? theme.default_text_color : Qt.lighter(theme.default_text_color, 0.8)
    property bool editable: true
    property alias horizontalAlignment: field.horizontalAlignment
    property real textIndent: 5
    property font font: theme.default_font
    readonly property alias field: field
    property color backgroundColor: editable ? Qt.lighter(theme.default_bg_color, 1.25)
                                             : Qt.lighter(Qt.lighter(theme.default_bg_color, 1.25), 0.8)
    property real rectHeight: implicitHeight
    readonly property alias contextMenu: contextMenu

    signal editingFinished()
    signal textEdited()

    function forceActiveFocus() {
        field.forceActiveFocus();
    }

    implicitHeight: field.implicitHeight + 6
    implicitWidth: field.implicitWidth
    color: backgroundColor
    clip: true

    // Focus given to the control belongs to the field.
    onActiveFocusChanged: {
        if (activeFocus)
            field.forceActiveFocus();
    }

    ZarnTheme {
        id: theme
    }

    RecessedBevel {
    }

    Rectangle {
        objectName: "focusFrame"
        anchors.fill: parent
        color: "transparent"
        border.width: 2
        border.color: theme.default_selected_color_intense
        opacity: 0.7
        visible: field.activeFocus
    }

    TextInput {
        id: field
        anchors.fill: parent
        anchors.leftMargin: root.textIndent
        verticalAlignment: TextInput.AlignVCenter
        font: root.font
        color: root.textColor
        selectByMouse: true
        selectionColor: theme.default_selected_color_intense
        activeFocusOnTab: true
        readOnly: !root.editable
        enabled: root.editable

        onActiveFocusChanged: {
            if (activeFocus)
                selectAll();
        }
        onEditingFinished: root.editingFinished()
        onTextEdited: root.textEdited()
    }

    MouseArea {
        anchors.fill: field
        acceptedButtons: Qt.RightButton
        enabled: root.editable
        onClicked: contextMenu.popup(field, 0, 0)
    }

    ZarnCustomMenu {
        id: contextMenu

        Action {
            text: qsTr("Copy")
            enabled: field.selectedText !== ""
            onTriggered: field.copy()
        }
        Action {
            text: qsTr("Cut")
            enabled: field.selectedText !== ""
            onTriggered: field.cut()
        }
        Action {
            text: qsTr("Paste")
            onTriggered: field.paste()
        }
    }
}
