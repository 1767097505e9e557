import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// A titled frame of the mixer page. Its user hands it the title bar's leading content and its
// main content; they are moved in once, when the section has been built. An empty title hides
// the bar and what it holds.
Rectangle {
    id: root

    property string title: "Instrumentals"
    property string toolTipText: ""
    property Item preTitleContent: null
    property Item mainContent: null
    property int mainMargin: 0
    readonly property alias titleBar: titleBar
    readonly property alias titleText: titleText

    implicitHeight: column.implicitHeight
    height: column.implicitHeight
    radius: 3
    antialiasing: true
    clip: true
    color: theme.default_bg_color_popup

    Component.onCompleted: {
        if (root.preTitleContent)
            root.preTitleContent.parent = preTitleArea;
        if (root.mainContent)
            root.mainContent.parent = contentArea;
    }

    ZarnTheme {
        id: theme
    }

    Column {
        id: column
        width: root.width

        Rectangle {
            id: titleBar
            objectName: "sectionTitleBar"
            width: root.width
            height: 1.75 * titleText.implicitHeight
            visible: root.title !== ""
            radius: root.radius
            color: Qt.lighter(theme.default_bg_color_popup, 1.15)

            // Squares the bar's lower corners: only the top ones are rounded.
            Rectangle {
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: parent.radius
                color: parent.color
            }

            Item {
                id: preTitleArea
                x: 5
                width: root.preTitleContent ? root.preTitleContent.width : 0
                height: titleBar.height
            }

            Row {
                anchors.left: preTitleArea.right
                anchors.leftMargin: root.mainMargin
                anchors.right: parent.right
                height: titleBar.height
                spacing: 10

                Text {
                    id: titleText
                    objectName: "sectionTitle"
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.title
                    color: "white"
                    font: theme.default_font

                    MouseArea {
                        id: titleHover
                        anchors.fill: parent
                        hoverEnabled: true
                    }
                    ZarnToolTip {
                        objectName: "sectionToolTip"
                        delay: 500
                        text: root.toolTipText
                        visible: titleHover.containsMouse && root.toolTipText !== ""
                    }
                }
            }
        }

        Item {
            id: contentArea
            width: root.width
            height: root.mainContent ? root.mainContent.height + root.mainContent.anchors.topMargin
                                       + root.mainContent.anchors.bottomMargin : 0
        }
    }
}
