import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// A list of two text columns (roles `first` and `second`), with the selection moved by
// Up/Down and by a click. The holder reads `currentIndex` (-1: nothing selected).
ListView {
    id: list

    property int rowHeight: 30
    property var colWidths: [list.width / 2, list.width / 2]
    property real leftSpacerWidth: 10

    clip: true
    activeFocusOnTab: true
    flickableDirection: Flickable.VerticalFlick
    headerPositioning: ListView.OverlayHeader
    highlightFollowsCurrentItem: true
    highlightMoveDuration: 250
    highlightResizeDuration: 0

    // Our own Up/Down: no wrap-around, and Down from "nothing selected" picks the first row.
    Keys.onDownPressed: event => {
        if (list.currentIndex < list.count - 1)
            list.currentIndex = list.currentIndex + 1;
        event.accepted = true;
    }
    Keys.onUpPressed: event => {
        if (list.currentIndex > 0)
            list.currentIndex = list.currentIndex - 1;
        event.accepted = true;
    }

    ZarnTheme {
        id: theme
    }

    // Children of a view scroll with its content; these two belong to the view itself.
    Rectangle {
        objectName: "listBackground"
        parent: list
        anchors.fill: parent
        z: -5
        color: Qt.lighter(theme.default_bg_color, 1.25)
    }
    Rectangle {
        objectName: "focusFrame"
        parent: list
        anchors.fill: parent
        z: 10
        color: "transparent"
        border.width: 2
        border.color: theme.default_selected_color_intense
        opacity: 0.7
        visible: list.activeFocus
    }

    highlight: Rectangle {
        width: list.currentItem ? list.currentItem.width : 0
        height: list.currentItem ? list.currentItem.height : 0
        color: theme.default_selected_color
    }

    delegate: Item {
        id: row

        required property int index
        required property var model
        readonly property bool isCurrent: ListView.isCurrentItem

        width: parent ? list.width : 125
        height: list.rowHeight

        Row {
            Item {
                width: list.leftSpacerWidth
                height: 20
            }
            Text {
                objectName: "firstColumn"
                width: list.colWidths[0]
                height: list.rowHeight
                text: row.model.first ?? ""
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                font: theme.default_font
                color: row.isCurrent ? "white" : theme.default_text_color
            }
            Text {
                objectName: "secondColumn"
                width: list.colWidths[1]
                height: list.rowHeight
                text: row.model.second ?? ""
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                font: theme.default_font
                color: row.isCurrent ? "white" : theme.default_text_color
            }
        }

        FocusHighlight {
            objectName: "rowFocusHighlight"
            anchors.fill: parent
            visible: list.activeFocus && row.isCurrent
        }

        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton
            hoverEnabled: true
            onClicked: {
                list.currentIndex = row.index;
                list.forceActiveFocus();
            }
        }
    }

    ScrollBar.vertical: CustomScrollBar {
    }
}
