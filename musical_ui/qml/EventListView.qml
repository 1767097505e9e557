import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// The change-log events of the current song, under the edit panel's "Event List" tab. The
// controller sets the model once and writes currentIndex by name. Rows read their bar texts
// from the model (and so from the engine) whenever they are made: keep them lean.
Item {
    id: root

    property alias model: list.model
    // Kept here rather than as the inner list's current index: a list scrolls to its current
    // row, and this one keeps its place when the timeline or an edit picks an event.
    property int currentIndex: -1
    // False while OSC is switched off: an OSC row then cannot be opened for editing.
    property bool enableOsc: true

    readonly property int headerRowHeight: 35
    readonly property int itemRowHeight: 25
    readonly property var headerNames: ["", "In", "Out", "Type", "Value"]
    readonly property var headerWidths: [0.07, 0.22, 0.22, 0.19, 0.3]
    readonly property real headerBarWidth: list.width - scrollBar.width - 10
    // Worked out once per width for the header and every row.
    readonly property var columnWidths: headerWidths.map(w => Math.floor(w * headerBarWidth))
    readonly property var columnX: {
        const x = [10];
        for (let i = 1; i < columnWidths.length; ++i)
            x.push(x[i - 1] + columnWidths[i - 1]);
        return x;
    }
    // The value column stops short of the scroll bar.
    readonly property real lastColumnWidth: 0.3 * headerBarWidth - scrollBar.width

    signal currentItemChanged(int index)
    signal editSelectedItem()

    onCurrentIndexChanged: currentItemChanged(currentIndex)

    readonly property var imageByType: ({
        "Caesura": "qrc:/images/caesura.svg",
        "Click": "qrc:/images/click_event.svg",
        "Cut": "qrc:/images/cut.svg",
        "Fermata": "qrc:/images/fermata_event.svg",
        "Skip": "qrc:/images/fermata_event.svg",
        "Repeat": "qrc:/images/repeat_event.svg",
        "Tempo": "qrc:/images/tempo_event.svg",
        "TempoScale": "qrc:/images/tempo_event.svg",
        "Vamp": "qrc:/images/vamp_event.svg",
        "Transpose": "qrc:/images/transpose_event.svg",
        "Sfx": "qrc:/images/sfx.svg",
        "Ambient Sfx": "qrc:/images/ambient_audio_event.svg",
        "OSC": "qrc:/images/lan.svg"
    })

    function getSourceImage(type: string): string {
        return imageByType.hasOwnProperty(type) ? imageByType[type] : "";
    }

    ZarnTheme {
        id: theme
    }

    Item {
        id: frame

        anchors.fill: parent
        anchors.margins: theme.bevel_width

        Rectangle {
            id: header

            objectName: "header"
            width: parent.width
            height: root.headerRowHeight
            color: theme.default_bg_color

            Repeater {
                model: root.headerNames

                Text {
                    required property int index
                    required property string modelData

                    x: root.columnX[index]
                    width: root.columnWidths[index]
                    height: header.height
                    text: modelData
                    horizontalAlignment: Text.AlignLeft
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    color: theme.default_text_header_color
                    font: theme.default_font
                }
            }
        }

        Column {
            id: dividers

            anchors.top: header.bottom
            width: parent.width

            Rectangle {
                width: parent.width
                height: theme.bevel_width
                color: theme.bevel_dark_color
            }
            Rectangle {
                width: parent.width
                height: theme.bevel_width
                color: theme.bevel_light_color
            }
        }
        MouseArea {
            anchors.fill: dividers
            acceptedButtons: Qt.NoButton
            cursorShape: Qt.ArrowCursor
        }

        Rectangle {
            anchors.fill: list
            color: theme.default_bg_color
        }

        ListView {
            id: list

            objectName: "list"
            anchors.top: dividers.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            keyNavigationEnabled: false

            // In the content, under the rows, so it scrolls with them; rows are all one height.
            Rectangle {
                objectName: "highlight"
                z: -1
                width: list.width
                height: root.itemRowHeight
                y: Math.max(0, root.currentIndex) * root.itemRowHeight
                visible: root.currentIndex >= 0 && root.currentIndex < list.count
                color: theme.default_selected_color

                Behavior on y {
                    SmoothedAnimation {
                        duration: 250
                    }
                }
            }

            ScrollBar.vertical: CustomScrollBar {
                id: scrollBar

                policy: ScrollBar.AlwaysOn
            }

            delegate: Item {
                id: row

                required property int index
                required property var model
                readonly property string typeText: model["type"] ?? ""

                width: list.width
                height: root.itemRowHeight

                Image {
                    objectName: "icon"
                    x: root.columnX[0] + (root.columnWidths[0] - width) / 2
                    anchors.verticalCenter: parent.verticalCenter
                    height: inText.implicitHeight
                    sourceSize.height: height
                    fillMode: Image.PreserveAspectFit
                    source: root.getSourceImage(row.typeText)
                }
                Text {
                    id: inText

                    objectName: "inText"
                    x: root.columnX[1]
                    width: root.columnWidths[1]
                    height: row.height
                    text: row.model["in"] ?? ""
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    color: "white"
                    font: theme.default_font
                }
                Text {
                    objectName: "outText"
                    x: root.columnX[2]
                    width: root.columnWidths[2]
                    height: row.height
                    text: row.model["out"] ?? ""
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    color: "white"
                    font: theme.default_font
                }
                Text {
                    objectName: "typeText"
                    x: root.columnX[3]
                    width: root.columnWidths[3]
                    height: row.height
                    text: row.typeText
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    color: "white"
                    font: theme.default_font
                }
                Text {
                    objectName: "countText"
                    x: root.columnX[4]
                    width: root.lastColumnWidth
                    height: row.height
                    text: row.model["count"] ?? ""
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    color: "white"
                    font: theme.default_font
                }

                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton
                    onClicked: {
                        root.currentIndex = row.index;
                        root.currentItemChanged(row.index);
                    }
                    // The first click of the pair has made the row current already.
                    onDoubleClicked: {
                        if (row.typeText === "OSC" && !root.enableOsc)
                            return;
                        root.editSelectedItem();
                    }
                }
            }
        }
    }
}
