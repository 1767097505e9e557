import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// The show's songs with their attacca states, the left pane of the edit panel. A click on a
// row asks for that song to be loaded; a click on a row's state icon asks for the song's
// next state. The holder sets the model and moves the current row when a song has loaded.
Item {
    id: root

    property alias model: list.model
    property alias currentIndex: list.currentIndex

    readonly property int status_col_size: 60
    readonly property int song_num_col_width: 45
    readonly property int itemRowHeight: 25
    readonly property int headerRowHeight: 35

    signal itemClicked(int index)
    signal attaccaStateChanged(string song_number)
    // For the holder; the view never raises it.
    signal currentItemChanged(int index)

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

            Text {
                width: root.song_num_col_width
                height: parent.height
                text: "#"
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                font: theme.default_font
                color: theme.default_text_header_color
            }
            Text {
                width: root.status_col_size
                height: parent.height
                text: "State"
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                font: theme.default_font
                color: theme.default_text_header_color
            }
            Text {
                height: parent.height
                text: "Song Name"
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
        highlightFollowsCurrentItem: false
        preferredHighlightBegin: 0
        preferredHighlightEnd: 80

        // A child of a view scrolls with its content; the background belongs to the view.
        Rectangle {
            parent: list
            anchors.fill: parent
            z: -5
            color: theme.default_bg_color
        }

        highlight: Rectangle {
            width: list.currentItem ? list.currentItem.width : 0
            height: list.currentItem ? list.currentItem.height : 0
            y: list.currentItem ? list.currentItem.y : 0
            color: theme.default_selected_color

            Behavior on y {
                SmoothedAnimation {
                    duration: 250
                }
            }
        }

        delegate: Item {
            id: row

            required property int index
            required property var model

            width: list.width
            height: root.itemRowHeight

            MouseArea {
                anchors.fill: parent
                onClicked: {
                    list.currentIndex = row.index;
                    console.log("index = " + row.index);
                    root.itemClicked(row.index);
                }
            }

            Text {
                width: root.song_num_col_width
                height: row.height
                text: row.model.song_number ?? ""
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                font: theme.default_font
                color: "white"
            }

            // Lies above the row's mouse area, so a click here changes the state without
            // selecting the row.
            Image {
                objectName: "stateIcon"
                x: root.song_num_col_width
                anchors.verticalCenter: parent.verticalCenter
                width: root.status_col_size
                height: 20
                sourceSize: Qt.size(20, 20)
                fillMode: Image.PreserveAspectFit
                source: row.model.status === "x" ? "qrc:/images/x.svg"
                      : row.model.status === "continue" ? "qrc:/images/down.svg"
                      : "qrc:/images/check.svg"

                MouseArea {
                    id: iconMouse

                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: root.attaccaStateChanged(row.model.song_number)
                }

                ZarnToolTip {
                    objectName: "stateToolTip"
                    delay: 500
                    visible: iconMouse.containsMouse
                    text: row.model.status === "x" ? "Skip song"
                        : row.model.status === "continue" ? "Auto-play next song (attacca)"
                        : "Play song when cued"
                }
            }

            Text {
                objectName: "songName"
                x: root.song_num_col_width + root.status_col_size
                width: Math.max(0, row.width - x - 40)
                height: row.height
                text: row.model.song_name ?? ""
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                maximumLineCount: 1
                font: theme.default_font
                color: "white"
            }
        }

        ScrollBar.vertical: CustomScrollBar {
        }
    }
}
