import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window

// The notices of the software components the product uses, in a modal window of its own.
Window {
    id: root
    objectName: "acknowledgementsWindow"

    property alias acknowledgementText: textArea.text

    width: 640
    height: 480
    color: theme.default_bg_color
    visible: true
    flags: Qt.WindowCloseButtonHint | Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint
    modality: Qt.ApplicationModal

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 15
        spacing: 15

        Text {
            objectName: "introText"
            Layout.fillWidth: true
            wrapMode: Text.WordWrap
            font: theme.default_font
            color: theme.light_text_color
            text: "Lantern Hill Studios uses a variety of software components in its code. We acknowledge the following software components and licenses used in our code."
        }

        Flickable {
            id: flick
            objectName: "flick"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            interactive: false
            contentWidth: width
            contentHeight: textArea.implicitHeight

            ScrollBar.vertical: CustomScrollBar {
                policy: ScrollBar.AlwaysOn
            }

            TextArea {
                id: textArea
                objectName: "acknowledgementTextArea"
                width: flick.width - 20
                readOnly: true
                wrapMode: TextArea.Wrap
                selectByMouse: true
                font: theme.default_font
                color: theme.default_text_color
                background: null

                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.IBeamCursor
                    acceptedButtons: Qt.NoButton
                }
            }
        }

        FlatButton {
            objectName: "closeButton"
            Layout.alignment: Qt.AlignHCenter
            text: "Close"
            isDefault: true
            onClicked: root.close()
        }
    }
}
