import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The loaded sound-effect players, one row each. The model does the work: its rows carry the
// roles the rows show and write, and it answers playTrack and stopTrack; a seek leaves as
// `setPosition` for the holder to carry to the player.
Item {
    id: root

    property alias model: list.model
    property Item background: backgroundRect
    property Component delegate: defaultDelegate
    property QtObject theme: ownTheme
    readonly property alias list: list
    readonly property alias scrollBar: scrollBar

    signal setPosition(int playerId, real position)

    width: 200
    height: 300

    ZarnTheme {
        id: ownTheme
    }

    Rectangle {
        id: backgroundRect
        anchors.fill: parent
        color: root.theme.default_bg_color
    }

    Component {
        id: defaultDelegate

        ActiveAudioDelegate {
            required property var model
            required property int index

            objectName: "activeAudioRow_" + index
            rowModel: model
            width: list.width - (scrollBar.visible ? scrollBar.width : 0)
            height: 40
            theme: root.theme
            onPlayTrack: playerId => list.model.playTrack(playerId)
            onStopTrack: (playerId, isUrgent) => list.model.stopTrack(playerId, isUrgent)
            onSetPosition: (playerId, position) => root.setPosition(playerId, position)
        }
    }

    ColumnLayout {
        anchors.fill: parent

        ListView {
            id: list
            objectName: "activeAudioListView"
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 5
            clip: true
            delegate: root.delegate
            ScrollBar.vertical: CustomScrollBar {
                id: scrollBar
            }
        }
    }
}
