import QtQuick
import com.lanternhillstudios.zarn_ui

// A label over a recessed text field. Every edit by the user raises `textChanged`, so holders
// react to edits in their handler for `text` changes.
Item {
    id: control

    property alias text: label.text
    property alias value: input.text
    property alias theme: themeInstance
    property alias hasFocus: control.focus
    readonly property alias field: input.field
    property int spacing: 5
    property int fontSize: 16

    implicitHeight: label.implicitHeight + control.spacing + input.implicitHeight
    implicitWidth: label.implicitWidth + input.implicitWidth

    onFocusChanged: {
        if (control.focus)
            input.forceActiveFocus();
    }

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
        width: control.width
        onTextEdited: control.textChanged()
    }
}
