import QtQuick
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects
import com.lanternhillstudios.zarn_ui

// One loaded sound-effect player: a pin, the name over the played portion with the times, and
// a play or stop button. The row writes only the pin and the seek position into its model
// row; play and stop go out as requests, and the symbol follows the model's `isPlaying`.
Item {
    id: root

    // The row of the model (a delegate's `model` object), read and written by role name.
    property var rowModel: null
    readonly property int playerId: root.roleOf("id", 0)
    readonly property string name: root.roleOf("name", "")
    readonly property bool isPlaying: Boolean(root.roleOf("isPlaying", false))
    readonly property bool isPinned: Boolean(root.roleOf("isPinned", false))
    readonly property real progress: Number(root.roleOf("progress", 0))
    readonly property real duration: Number(root.roleOf("duration", 0))
    property Item background: middleArea
    property QtObject theme: ownTheme
    readonly property alias pinImage: pinImage
    readonly property alias pinOverlay: pinOverlay
    readonly property alias playButton: playButton
    readonly property alias timeText: timeLabel.text
    readonly property alias nameText: nameLabel.text

    signal playTrack(int playerId)
    signal stopTrack(int playerId, bool isUrgent)
    signal setPosition(int playerId, real position)

    function roleOf(role, fallback) {
        if (!root.rowModel)
            return fallback;
        const value = root.rowModel[role];
        return value === undefined || value === null ? fallback : value;
    }

    function formatTime(time) {
        const minutes = Math.floor(time / 60);
        const seconds = Math.floor(time % 60);
        return minutes + ":" + (seconds < 10 ? "0" : "") + seconds;
    }

    function toggleIsPlaying() {
        if (root.isPlaying)
            root.stopTrack(root.playerId, false);
        else
            root.playTrack(root.playerId);
    }

    // Near either end a click goes to that end: nobody aims for the last second.
    function seekTo(x) {
        if (root.duration <= 0 || middleArea.width <= 0)
            return;
        const fraction = x / middleArea.width;
        const clicked = fraction * root.duration;
        let position = fraction;
        if (clicked < 1)
            position = 0;
        else if (root.duration - clicked < 1)
            position = 1;
        if (root.rowModel)
            root.rowModel.progress = position;
        root.setPosition(root.playerId, position);
    }

    function togglePin() {
        if (root.rowModel)
            root.rowModel.isPinned = !root.isPinned;
        if (String(pinImage.source) === "qrc:/images/keep_off.svg")
            pinImage.source = "qrc:/images/keep.svg";
        pinOverlay.visible = !pinOverlay.visible;
    }

    implicitHeight: 40

    ZarnTheme {
        id: ownTheme
    }

    Item {
        id: pinCell
        objectName: "pinCell"
        x: 0
        width: 48
        height: 48
        anchors.verticalCenter: parent.verticalCenter

        Image {
            id: pinImage
            objectName: "pinImage"
            anchors.centerIn: parent
            width: 20
            height: 20
            source: "qrc:/images/keep.svg"
            sourceSize: Qt.size(20, 20)
            fillMode: Image.PreserveAspectFit
        }

        ColorOverlay {
            id: pinOverlay
            objectName: "pinOverlay"
            anchors.fill: pinImage
            source: pinImage
            color: "#5a5a5a"
            visible: true
        }

        MouseArea {
            objectName: "pinMouse"
            anchors.fill: parent
            hoverEnabled: true
            onClicked: root.togglePin()
            onEntered: {
                if (root.isPinned)
                    pinImage.source = "qrc:/images/keep_off.svg";
            }
            onExited: pinImage.source = "qrc:/images/keep.svg"
        }
    }

    Item {
        id: middleArea
        objectName: "middleArea"
        x: pinCell.width
        width: Math.max(0, buttonCell.x - x)
        height: root.height

        Rectangle {
            objectName: "playedPortion"
            width: Math.max(0, Math.min(1, root.progress)) * middleArea.width
            height: middleArea.height
            color: "#10FFFFFF"
        }

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: 5
            spacing: 5

            Text {
                id: nameLabel
                objectName: "nameLabel"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredHeight: Math.max(0, middleArea.height * 4 / 5 - 2 * 5 - 2 * 5)
                text: root.name === "" ? "Name not set" : root.name
                color: root.theme.light_text_color
                font.pixelSize: root.theme.default_font.pixelSize
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
            Text {
                id: timeLabel
                objectName: "timeLabel"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.preferredHeight: Math.max(0, middleArea.height / 5 - 2 * 5 - 2 * 5)
                text: root.duration > 0
                      ? root.formatTime(root.progress * root.duration) + " / " + root.formatTime(root.duration)
                      : "0:00 / 0:00"
                color: root.theme.default_text_color
                font.pixelSize: root.theme.small_font.pixelSize
                horizontalAlignment: Text.AlignHCenter
            }
        }

        MouseArea {
            objectName: "seekMouse"
            anchors.fill: parent
            onClicked: mouse => root.seekTo(mouse.x)
        }
    }

    Item {
        id: buttonCell
        objectName: "buttonCell"
        x: root.width - width
        width: 40
        height: 40
        anchors.verticalCenter: parent.verticalCenter

        SfxPlayButton {
            id: playButton
            objectName: "playButton"
            anchors.centerIn: parent
            width: 28
            height: 28
            buttonManagesState: false
            playing: root.isPlaying

            MouseArea {
                objectName: "playMouse"
                anchors.fill: parent
                onClicked: {
                    playButton.handleClick(root.isPlaying);
                    root.toggleIsPlaying();
                }
            }
        }
    }
}
