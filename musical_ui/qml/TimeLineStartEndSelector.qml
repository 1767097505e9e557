import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// Picks an in bar and beat and, with hasOut, an out bar and beat from a list of bar names.
// The holder fills the beat boxes from the chosen bar; colours and font come from the
// window's theme object `theme`.
Item {
    id: control

    property bool hasOut: false
    property bool showSelectAll: true
    property var barList: ["one", "two", "three"]
    property alias inBar: inBarBox.currentValue
    property alias outBar: outBarBox.currentValue
    property alias inBeat: inBeatBox.currentValue
    property alias outBeat: outBeatBox.currentValue
    property alias inBarControl: inBarBox
    property alias outBarControl: outBarBox

    signal selectAll()
    signal changedStartBarIndex(int index)
    signal changedEndBarIndex(int index)

    implicitWidth: column.implicitWidth
    implicitHeight: column.implicitHeight

    Column {
        id: column
        anchors.fill: parent
        spacing: 10

        Grid {
            id: grid
            objectName: "selectorGrid"
            columns: control.hasOut ? 4 : 2
            columnSpacing: 10
            rowSpacing: 4

            Text {
                objectName: "inBarLabel"
                text: control.hasOut ? qsTr("In Bar") : qsTr("Bar")
                color: theme.default_text_color
                font: theme.default_font
            }
            Text {
                objectName: "inBeatLabel"
                text: control.hasOut ? qsTr("In Beat") : qsTr("Beat")
                color: theme.default_text_color
                font: theme.default_font
            }
            Text {
                objectName: "outBarLabel"
                visible: control.hasOut
                text: qsTr("Out Bar")
                color: theme.default_text_color
                font: theme.default_font
            }
            Text {
                objectName: "outBeatLabel"
                visible: control.hasOut
                text: qsTr("Out Beat")
                color: theme.default_text_color
                font: theme.default_font
            }

            CustomComboBox {
                id: inBarBox
                objectName: "inBarBox"
                width: 64
                model: control.barList
                onCurrentIndexChanged: control.changedStartBarIndex(currentIndex)
            }
            CustomComboBox {
                id: inBeatBox
                objectName: "inBeatBox"
                width: 64
                model: []
            }
            CustomComboBox {
                id: outBarBox
                objectName: "outBarBox"
                width: 64
                visible: control.hasOut
                model: control.barList
                onCurrentIndexChanged: control.changedEndBarIndex(currentIndex)
            }
            CustomComboBox {
                id: outBeatBox
                objectName: "outBeatBox"
                width: 64
                visible: control.hasOut
                model: []
            }
        }

        FlatButton {
            objectName: "selectAllButton"
            width: 150
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Select All")
            visible: control.showSelectAll && control.hasOut
            onClicked: control.selectAll()
        }
    }
}
