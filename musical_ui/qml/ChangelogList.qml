import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// One pane of the "Event Log Manager": a title, the column labels and the logs of a list model
// with the roles "version" and "modified". A click on a row makes it the pane's current row
// and tells the window, which clears the other pane.
Item {
    id: pane

    property bool isLocal: true
    property alias model: list.model
    property alias index: list.currentIndex
    property alias title: titleText.text
    property var titles: ["Log Version", "Modified"]
    property int rowHeight: 30
    property var colWidths: [list.width * 0.35, list.width * 0.65]
    property real leftSpacerWidth: 10
    readonly property alias listView: list
    readonly property alias scrollBar: scrollBar

    signal listHasFocus(bool isLocal)

    function isSelected() {
        return pane.index > -1;
    }

    Component.onCompleted: pane.index = -1

    ZarnTheme {
        id: theme
    }

    Column {
        id: column

        anchors.fill: parent
        anchors.margins: 5

        Text {
            id: titleText

            anchors.horizontalCenter: parent.horizontalCenter
            font.pixelSize: 16
            color: "white"
        }

        Row {
            id: header

            height: 20
            spacing: 1

            Rectangle {
                width: pane.leftSpacerWidth
                height: header.height
                color: "transparent"
            }
            Repeater {
                model: pane.titles

                Text {
                    required property int index
                    required property string modelData

                    width: pane.colWidths[index]
                    height: header.height
                    text: modelData
                    elide: Text.ElideRight
                    verticalAlignment: Text.AlignVCenter
                    font.pixelSize: 14
                    font.bold: true
                    color: theme.default_text_header_color
                }
            }
        }

        ListView {
            id: list

            objectName: "logList"
            width: column.width
            height: column.height - titleText.height - header.height
            clip: true
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            headerPositioning: ListView.OverlayHeader
            highlightFollowsCurrentItem: true
            highlightMoveDuration: 250
            highlightMoveVelocity: -1
            highlightResizeDuration: 0

            // Children of a view scroll with its content; the background belongs to the view.
            Rectangle {
                parent: list
                anchors.fill: parent
                z: -5
                color: Qt.lighter(theme.default_bg_color, 1.25)
            }

            highlight: Rectangle {
                objectName: "rowHighlight"
                width: list.currentItem ? list.currentItem.width : 0
                height: list.currentItem ? list.currentItem.height : 0
                color: theme.default_selected_color
            }

            delegate: Item {
                id: row

                required property int index
                required property string version
                required property string modified
                readonly property bool isCurrent: ListView.isCurrentItem

                width: parent ? list.width : 50
                height: pane.rowHeight

                Row {
                    Item {
                        width: pane.leftSpacerWidth
                        height: pane.rowHeight
                    }
                    Text {
                        objectName: "versionText"
                        width: pane.colWidths[0]
                        height: pane.rowHeight
                        text: row.version
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        font.pixelSize: 14
                        color: row.isCurrent ? "white" : theme.default_text_color
                    }
                    Text {
                        objectName: "modifiedText"
                        width: pane.colWidths[1]
                        height: pane.rowHeight
                        text: row.modified
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        font.pixelSize: 14
                        color: row.isCurrent ? "white" : theme.default_text_color
                    }
                }

                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton
                    hoverEnabled: true
                    onClicked: {
                        list.currentIndex = row.index;
                        pane.listHasFocus(pane.isLocal);
                    }
                }
            }

            ScrollBar.vertical: ScrollBar {
                id: scrollBar

                objectName: "logScrollBar"
                policy: ScrollBar.AlwaysOn
                hoverEnabled: true
                // Only while the rows are taller than the list.
                visible: list.contentHeight > list.height
                leftPadding: 7
                rightPadding: 7

                background: Rectangle {
                    implicitWidth: 20
                    implicitHeight: scrollBar.height
                    color: Qt.lighter(theme.default_bg_color, 0.7)
                }

                contentItem: Rectangle {
                    objectName: "logScrollHandle"
                    implicitWidth: 6
                    implicitHeight: 100
                    color: scrollBar.hovered ? theme.default_bg_color : Qt.lighter(theme.default_bg_color, 0.9)

                    BasicBevel {
                    }
                }
            }
        }
    }
}
