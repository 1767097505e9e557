import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// The about popup of the main menu: logo, version, copyright and three buttons. It fills
// its parent so that it can centre itself in the window it is shown over.
Item {
    id: root

    property var rootWindow: parent
    property string version: "See Installation File for Version Info"
    property string versionIdentifier: ""
    property string linkUrl: "https://lanternhillstudios.example/license-agreement"
    property string copyRight: "Copyright \u00A9 Lantern Hill Studios. All rights reserved."
    property bool showAcknowledgments: true
    property alias logoSource: logo.source
    property var textColor: '#C3C3C3'
    property var innerBorderColor: Qt.lighter(theme.default_bg_color, 1.25)
    property var outerBorderColor: Qt.lighter(theme.default_bg_color, 1.5)
    readonly property alias popup: about

    signal acknowledgementsClicked()

    function open() {
        about.open();
    }

    anchors.fill: parent

    ZarnTheme {
        id: theme
    }

    Popup {
        id: about
        objectName: "aboutPopup"

        modal: true
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
        width: 525
        height: content.height + 60
        margins: 30
        padding: 30
        x: ((root.rootWindow ? root.rootWindow.width : root.width) - width) * 0.5
        y: ((root.rootWindow ? root.rootWindow.height : root.height) - height) * 0.5

        onOpened: forceActiveFocus()

        Overlay.modal: Rectangle {
            color: "#88000000"
        }

        background: Rectangle {
            color: theme.default_bg_color
            border.width: 1
            border.color: root.outerBorderColor
            radius: 25

            Rectangle {
                anchors.fill: parent
                anchors.margins: 1
                color: "transparent"
                border.width: 1
                border.color: root.innerBorderColor
                radius: 25
            }
        }

        Column {
            id: content
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            spacing: 15

            Rectangle {
                width: parent.width
                height: 125
                color: "transparent"

                Image {
                    id: logo
                    objectName: "logo"
                    anchors.fill: parent
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                    mipmap: true
                }
            }

            Column {
                width: parent.width
                spacing: 2

                Text {
                    objectName: "versionText"
                    width: parent.width
                    text: "Version " + root.version
                    font.pixelSize: 16
                    color: root.textColor
                }
                Text {
                    objectName: "versionIdentifierText"
                    width: parent.width
                    // An empty identifier keeps its line, so the layout does not jump.
                    height: Math.max(implicitHeight, fontMetrics.height)
                    text: root.versionIdentifier
                    font.pixelSize: 16
                    font.italic: true
                    color: root.textColor

                    FontMetrics {
                        id: fontMetrics
                        font.pixelSize: 16
                    }
                }
            }

            Text {
                objectName: "copyrightText"
                width: parent.width
                text: root.copyRight
                font.pixelSize: 12
                color: root.textColor
                wrapMode: Text.WordWrap
            }

            Row {
                id: buttons
                spacing: 15
                bottomPadding: implicitHeight / 4

                FlatButton {
                    objectName: "acknowledgementsButton"
                    text: "Acknowledgments"
                    onClicked: root.acknowledgementsClicked()
                }
                FlatButton {
                    objectName: "licenseButton"
                    text: "License Agreement"
                    onClicked: Qt.openUrlExternally(root.linkUrl)
                }
                FlatButton {
                    objectName: "closeButton"
                    text: "Close"
                    onClicked: about.close()
                }
            }
        }
    }
}
