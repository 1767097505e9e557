import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// The current song's markers with their bar texts, in time order, under the edit panel's
// "Marker List" tab. The marker that playback passed last gets a row colour of its own. The
// holder sets the model, writes the current and passed rows, and listens to the signals.
Item {
    id: root

    property alias model: list.model
    // Kept here rather than as the inner list's current index: a list scrolls to its current
    // row, and this one keeps its place when the timeline or an edit picks a marker.
    property int currentIndex: -1
    property int passedIndex: -1

    readonly property int headerRowHeight: 35
    readonly property int itemRowHeight: 25
    readonly property int marker_loc_col_width: 100

    // The current row changed, or a row was clicked.
    signal currentItemChanged(int index)
    // A row was clicked; it is current by then.
    signal itemClicked()
    signal editSelectedItem()

    onCurrentIndexChanged: currentItemChanged(currentIndex)

    ZarnTheme {
        id: theme
    }

    Rectangle {
        id: header

        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: theme.bevel_width
        height: root.headerRowHeight
        color: theme.default_bg_color

        Row {
            anchors.fill: parent
            anchors.leftMargin: 10

            Text {
                width: Math.max(0, parent.width - root.marker_loc_col_width)
                height: parent.height
                text: "Marker Name"
                verticalAlignment: Text.AlignVCenter
                font: theme.default_font
                color: theme.default_text_header_color
            }
            Text {
                width: root.marker_loc_col_width
                height: parent.height
                clip: true
                text: "Location"
                verticalAlignment: Text.AlignVCenter
                font: theme.default_font
                color: theme.default_text_header_color
            }
        }
    }

    Rectangle {
        id: darkDivider

        anchors.top: header.bottom
        anchors.left: header.left
        anchors.right: header.right
        height: theme.bevel_width
        color: theme.bevel_dark_color
    }
    Rectangle {
        id: lightDivider

        anchors.top: darkDivider.bottom
        anchors.left: header.left
        anchors.right: header.right
        height: theme.bevel_width
        color: theme.bevel_light_color
    }

    ListView {
        id: list

        objectName: "list"
        anchors.top: lightDivider.bottom
        anchors.left: header.left
        anchors.right: header.right
        anchors.bottom: parent.bottom
        anchors.bottomMargin: theme.bevel_width
        clip: true
        keyNavigationEnabled: false

        // A child of a view scrolls with its content; the background belongs to the view.
        Rectangle {
            parent: list
            anchors.fill: parent
            z: -5
            color: theme.default_bg_color
        }

        // In the content, under the rows, so it scrolls with them; rows are all one height.
        Rectangle {
            objectName: "highlight"
            z: -1
            width: Math.max(0, list.width - scrollBar.width)
            height: root.itemRowHeight
            y: Math.max(0, root.currentIndex) * root.itemRowHeight
            visible: root.currentIndex >= 0 && root.currentIndex < list.count
            color: Qt.lighter(theme.default_selected_color, 1.1)

            Behavior on y {
                SmoothedAnimation {
                    duration: 250
                }
            }
        }

        // Kept lean: a list may hold hundreds of markers. Tool tips only come into being
        // while the mouse rests on a text that does not fit.
        delegate: Item {
            id: row

            required property int index
            required property string name
            required property string location

            width: Math.max(0, list.width - scrollBar.width)
            height: root.itemRowHeight

            Rectangle {
                objectName: "rowBackground"
                anchors.fill: parent
                anchors.leftMargin: 10
                color: row.index === root.passedIndex && row.index !== root.currentIndex
                       ? Qt.darker(theme.default_selected_color, 1.3) : "transparent"
            }

            MouseArea {
                objectName: "rowArea"
                anchors.fill: parent
                onClicked: {
                    root.currentIndex = row.index;
                    root.itemClicked();
                    root.currentItemChanged(row.index);
                }
                onDoubleClicked: root.editSelectedItem()
            }

            Row {
                x: 20
                width: Math.max(0, row.width - x)
                height: row.height
                spacing: 1

                ElidedCell {
                    objectName: "nameText"
                    height: row.height
                    font: theme.default_font
                    width: Math.max(0, parent.width - root.marker_loc_col_width - parent.spacing)
                    text: row.name
                }
                ElidedCell {
                    objectName: "locationText"
                    height: row.height
                    font: theme.default_font
                    width: root.marker_loc_col_width
                    text: row.location
                }
            }
        }

        ScrollBar.vertical: CustomScrollBar {
            id: scrollBar
        }
    }

    // One line of a row, cut at the right; when cut, resting the mouse on it shows the whole text.
    // An inline component sees none of this file's ids: the holder gives the size and font.
    component ElidedCell: Text {
        id: cell

        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        maximumLineCount: 1
        color: "white"

        // Takes no buttons, so clicks reach the row below; tracks hover only on a cut text.
        MouseArea {
            id: hoverArea

            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            hoverEnabled: cell.truncated
        }

        Loader {
            objectName: "toolTipLoader"
            anchors.fill: parent
            active: cell.truncated && hoverArea.containsMouse
            sourceComponent: Item {
                ZarnToolTip {
                    objectName: "toolTip"
                    text: cell.text
                    delay: 1000
                    timeout: 5000
                    // Opened once complete: a tool tip made visible while it is being made
                    // shows at once, without its delay.
                    Component.onCompleted: visible = true
                }
            }
        }
    }
}
