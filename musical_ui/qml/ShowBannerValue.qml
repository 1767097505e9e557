import QtQuick

// One cell of the status banner: a caption followed by its value on a rounded background.
// The background shows only while the cell has something to say, so an empty cell leaves
// the panel behind it untouched.
Item {
    id: cell

    property int spaceAroundText: 0
    property color labelColor: "#959595"
    property color backgroundColor: "transparent"
    property color valueColor: "white"
    property int labelFontSize: 12
    property real barBackgroundOpacity: 1.0
    property alias labelText: label.text
    property alias valueText: value.text

    implicitWidth: row.implicitWidth + 4 * spaceAroundText
    implicitHeight: row.implicitHeight + 2 * spaceAroundText

    Rectangle {
        objectName: "background"
        anchors.fill: parent
        radius: 3
        opacity: cell.barBackgroundOpacity
        color: (label.text !== "" || value.text !== "") ? cell.backgroundColor : "transparent"
    }

    Row {
        id: row
        x: 2 * cell.spaceAroundText
        y: cell.spaceAroundText
        // An empty caption leaves no gap before the value.
        spacing: label.text !== "" ? 4 : 0

        Text {
            id: label
            objectName: "label"
            color: cell.labelColor
            font.pixelSize: cell.labelFontSize
        }
        Text {
            id: value
            objectName: "value"
            color: cell.valueColor
            font.pixelSize: cell.labelFontSize
            visible: text !== ""
        }
    }
}
