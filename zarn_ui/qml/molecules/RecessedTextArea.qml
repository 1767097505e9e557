import QtQuick
import com.lanternhillstudios.zarn_ui

// A multi-line text field with the recessed look. `textEdited` comes only from the user's own
// changes (typing, cutting, pasting), never from setting `text`.
Rectangle {
    id: area

    property string text: ""
    property alias editable: edit.enabled
    property alias horizontalAlignment: edit.horizontalAlignment
    property alias textIndent: edit.leftPadding
    readonly property alias textElement: edit

    signal editingFinished()
    signal textEdited()

    function forceActiveFocus() {
        edit.forceActiveFocus();
    }

    implicitWidth: edit.implicitWidth
    implicitHeight: edit.implicitHeight
    color: "transparent"

    // Text set by the holder is copied into the element without counting as an edit; a change
    // that arrives the other way round came from the user.
    onTextChanged: {
        if (edit.text !== area.text)
            edit.text = area.text;
    }

    ZarnTheme {
        id: theme
    }

    Rectangle {
        anchors.fill: parent
        color: Qt.lighter(theme.default_bg_color, 1.25)

        RecessedBevel {
        }
    }

    TextEdit {
        id: edit
        objectName: "textElement"
        anchors.fill: parent
        textFormat: TextEdit.PlainText
        color: theme.default_text_color
        verticalAlignment: TextEdit.AlignTop
        font: theme.default_font
        selectByMouse: true
        clip: true
        wrapMode: TextEdit.NoWrap
        focus: true
        leftPadding: 0

        onTextChanged: {
            if (edit.text === area.text)
                return;
            area.text = edit.text;
            area.textEdited();
        }
        onEditingFinished: area.editingFinished()
        onActiveFocusChanged: {
            if (activeFocus)
                selectAll();
        }
    }
}
