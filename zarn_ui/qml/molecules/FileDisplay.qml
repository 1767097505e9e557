import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// A label over a boxed list of file names (a list of strings).
Item {
    id: control

    property alias text: label.text
    property alias value: list.model
    property alias model: list.model
    property alias theme: themeInstance
    property int spacing: 5
    property int fontSize: 16

    implicitHeight: label.implicitHeight + list.implicitHeight
    implicitWidth: label.implicitWidth + list.implicitWidth

    ZarnTheme {
        id: themeInstance
    }

    Text {
        id: label
        objectName: "label"
        width: control.width
        height: implicitHeight
        font.pixelSize: control.fontSize
        color: themeInstance.default_text_color
    }

    Rectangle {
        objectName: "listBox"
        y: label.height + control.spacing
        width: control.width
        height: Math.max(0, control.height - y)
        color: themeInstance.light_background_color
        border.width: 2
        border.color: themeInstance.light_border_color
        radius: 2

        ListView {
            id: list
            objectName: "fileList"
            anchors.fill: parent
            anchors.margins: 2
            clip: true

            delegate: Text {
                required property var modelData
                width: ListView.view ? ListView.view.width : implicitWidth
                text: String(modelData)
                padding: 5
                font.pixelSize: 14
                color: themeInstance.default_text_color
            }

            ScrollBar.vertical: CustomScrollBar {
                policy: ScrollBar.AsNeeded
            }
        }
    }
}
