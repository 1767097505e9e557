import QtQuick
import com.lanternhillstudios.zarn_ui

// Plain white text area, used inside CustomSpinBox.
Rectangle {
    id: root

    property alias text: editor.text
    property bool editable: true
    property alias horizontalAlignment: editor.horizontalAlignment
    readonly property alias editor: editor

    signal editingFinished()

    color: "white"
    implicitHeight: 25

    TextEdit {
        id: editor
        anchors.fill: parent
        anchors.leftMargin: 15
        anchors.rightMargin: 15
        color: "black"
        verticalAlignment: TextEdit.AlignVCenter
        selectByMouse: true
        enabled: root.editable
        onEditingFinished: root.editingFinished()
    }
}
