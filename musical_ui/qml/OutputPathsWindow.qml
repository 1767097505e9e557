import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The show's output paths and the device each plays on at this machine. The controller
// (OutputPathsManagerController) sets `model`, `deviceList`, `deviceIds` and `currentIndex`,
// listens to the four signals and does the rest; the form asks by position, `chosenDeviceIndex`,
// so that two devices of one name stay apart. Edit selects the path's device by its id: the
// empty id is "(default)", a device this machine does not list selects nothing.
Window {
    id: root

    property alias model: pathList.model
    property alias currentIndex: pathList.currentIndex
    property alias deviceList: pathTool.deviceList
    // The device ids parallel to `deviceList`: "" for "(default)" first.
    property var deviceIds: [""]
    property alias chosenDeviceIndex: pathTool.pathDeviceIndex
    property var titles: [qsTr("Name"), qsTr("Output Device")]
    property int rowHeight: 30
    property var colWidths: [pathList.width / 2, pathList.width / 2]
    property int leftSpacerWidth: 10
    readonly property alias pathTool: pathTool
    readonly property alias pathList: pathList

    signal deleteOutputPath()
    signal closeWindow()
    signal createPathRequest(string pathName, string pathDevice)
    signal changePathRequest(string pathName, string pathDevice)

    function indexOfDeviceId(id) {
        for (let i = 0; i < root.deviceIds.length; ++i) {
            if (String(root.deviceIds[i]) === id)
                return i;
        }
        return -1;
    }

    function openNewPath() {
        pathTool.pathName = "";
        pathTool.pathDeviceIndex = 0;
        pathTool.isEdit = false;
        pathTool.visible = true;
    }

    function openEditPath() {
        if (root.currentIndex < 0 || !root.model)
            return;
        pathTool.pathName = root.model.PathName(root.currentIndex);
        pathTool.pathDeviceIndex = root.indexOfDeviceId(root.model.PathDeviceId(root.currentIndex));
        pathTool.isEdit = true;
        pathTool.visible = true;
    }

    title: qsTr("Output Paths")
    visible: false
    modality: Qt.ApplicationModal
    flags: Qt.WindowCloseButtonHint | Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint
    width: 600
    height: Math.floor(width / 1.618)
    color: theme.default_bg_color

    ZarnTheme {
        id: theme
    }

    OutputPathTool {
        id: pathTool
        objectName: "pathTool"
        onCreatePathRequest: (pathName, pathDevice) => root.createPathRequest(pathName, pathDevice)
        onChangePathRequest: (pathName, pathDevice) => root.changePathRequest(pathName, pathDevice)
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 15
        spacing: 0

        Row {
            objectName: "pathHeader"
            Layout.fillWidth: true
            Layout.preferredHeight: 30
            spacing: 0

            Rectangle {
                width: root.leftSpacerWidth
                height: parent.height
                color: "transparent"
            }
            Text {
                width: pathList.rowWidth / 2 - root.leftSpacerWidth
                height: parent.height
                verticalAlignment: Text.AlignVCenter
                text: root.titles[0]
                font.pixelSize: 14
                color: theme.default_text_header_color
            }
            Text {
                width: pathList.rowWidth / 2
                height: parent.height
                verticalAlignment: Text.AlignVCenter
                text: root.titles[1]
                font.pixelSize: 14
                color: theme.default_text_header_color
            }
        }

        ListView {
            id: pathList
            objectName: "pathList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            headerPositioning: ListView.OverlayHeader
            highlightFollowsCurrentItem: true
            highlightMoveDuration: 250
            currentIndex: -1
            // The list keeps its index when its last row goes: no row is current then.
            onCountChanged: {
                if (count === 0)
                    Qt.callLater(() => {
                        if (pathList.count === 0)
                            pathList.currentIndex = -1;
                    });
            }
            // Rows leave room for the scroll bar, which is always shown.
            readonly property real rowWidth: width - scrollBar.width

            ScrollBar.vertical: CustomScrollBar {
                id: scrollBar
                objectName: "pathScrollBar"
            }

            Rectangle {
                z: -1
                anchors.fill: parent
                color: Qt.lighter(theme.default_bg_color, 1.25)
            }

            highlight: Rectangle {
                width: pathList.rowWidth
                height: root.rowHeight
                color: theme.default_selected_color
            }

            delegate: Item {
                id: pathRow
                required property int index
                required property string path_name
                required property string path_device_name
                readonly property bool isCurrent: ListView.isCurrentItem
                width: pathList.rowWidth
                height: root.rowHeight

                Row {
                    anchors.fill: parent
                    Item {
                        width: root.leftSpacerWidth
                        height: parent.height
                    }
                    Text {
                        objectName: "pathNameText"
                        width: pathList.rowWidth / 2 - root.leftSpacerWidth
                        height: parent.height
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        text: pathRow.path_name
                        font: theme.default_font
                        color: pathRow.isCurrent ? "white" : theme.default_text_color
                    }
                    Text {
                        objectName: "pathDeviceText"
                        width: pathList.rowWidth / 2
                        height: parent.height
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                        text: pathRow.path_device_name
                        font: theme.default_font
                        color: pathRow.isCurrent ? "white" : theme.default_text_color
                    }
                }

                MouseArea {
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
                    onPressed: pathList.currentIndex = pathRow.index
                }
            }
        }

        // Its lines are broken where the text says; the smaller type keeps each on one line.
        Text {
            objectName: "explanation"
            Layout.fillWidth: true
            Layout.preferredHeight: Math.max(100, implicitHeight + 10)
            verticalAlignment: Text.AlignVCenter
            wrapMode: Text.WordWrap
            font: theme.small_font
            color: theme.default_text_color
            text: "Output paths are used to name a location on the stage where a sound should be played.\nYou can then map that location to a physical speaker specific to the machine you run it on.\nThe named location will be available everywhere, but the output device must be selected on\neach machine you run.\nThat way, you can practice at different locations and still hear your music and sound effects."
        }

        Row {
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredHeight: 30
            spacing: 10

            FlatButton {
                objectName: "newPathButton"
                text: qsTr("New Path")
                onClicked: root.openNewPath()
            }
            FlatButton {
                objectName: "editPathButton"
                text: qsTr("Edit")
                enabled: root.currentIndex !== -1 && pathList.count > 0
                onClicked: root.openEditPath()
            }
            FlatButton {
                objectName: "deletePathButton"
                text: qsTr("Delete")
                enabled: root.currentIndex !== -1 && pathList.count > 0
                onClicked: root.deleteOutputPath()
            }
            FlatButton {
                objectName: "closePathsButton"
                text: qsTr("Close")
                onClicked: root.closeWindow()
            }
        }
    }
}
