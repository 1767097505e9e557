import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// A mixer section of tracks: section mute and solo in the title bar, column headers, then one
// track row per row of `tracksModel`. Track rows write their roles into the tracks model; the
// section buttons only report, and the mixer page writes the sections model.
MixerSection {
    id: root

    property var tracksModel: null
    property alias isMuted: sectionMute.checked
    property alias isSolo: sectionSolo.checked
    readonly property alias trackRepeater: trackRepeater

    signal muteClicked()
    signal soloClicked()

    mainMargin: 7

    ZarnTheme {
        id: theme
    }

    preTitleContent: Row {
        width: 45
        height: root.titleBar.height
        spacing: 3

        OutlineButton {
            id: sectionMute
            objectName: "sectionMuteButton"
            anchors.verticalCenter: parent.verticalCenter
            text: "M"
            controlColor: "#26a5de"
            checkedFillColor: "#26a5de"
            checkedFontColor: theme.default_bg_color
            toolTipText: "Mute entire group"
            onClicked: root.muteClicked()
        }
        OutlineButton {
            id: sectionSolo
            objectName: "sectionSoloButton"
            anchors.verticalCenter: parent.verticalCenter
            text: "S"
            controlColor: "#D3AF37"
            checkedFillColor: "#D3AF37"
            checkedFontColor: theme.default_bg_color
            toolTipText: "Solo entire group"
            onClicked: root.soloClicked()
        }
        Item {
            width: 5
            height: 1
        }
    }

    mainContent: Column {
        width: root.width

        Item {
            width: parent.width
            height: headers.implicitHeight + 10

            RowLayout {
                id: headers
                anchors.left: parent.left
                anchors.leftMargin: root.mainMargin
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.topMargin: 5
                spacing: 10

                Repeater {
                    model: [
                        { text: qsTr("State"), width: 45, fill: false },
                        { text: qsTr("Track Name"), width: 100, fill: true },
                        { text: qsTr("Instrument"), width: 100, fill: true },
                        { text: qsTr("Pan"), width: 35, fill: false },
                        { text: qsTr("Volume"), width: 80, fill: true }
                    ]
                    Text {
                        required property var modelData
                        Layout.preferredWidth: modelData.width
                        Layout.fillWidth: modelData.fill
                        text: modelData.text
                        color: theme.default_text_header_color
                        font: theme.default_font
                        verticalAlignment: Text.AlignVCenter
                    }
                }
            }
        }

        Item {
            width: parent.width
            height: trackColumn.height + root.mainMargin

            Column {
                id: trackColumn
                anchors.left: parent.left
                anchors.leftMargin: root.mainMargin
                anchors.right: parent.right

                Repeater {
                    id: trackRepeater
                    model: root.tracksModel

                    MixerTrack {
                        id: track
                        required property int index
                        required property var model
                        width: trackColumn.width
                        name: model.name
                        isMuted: model.isMuted
                        isSolo: model.isSolo
                        volumeScaledDb: model.volumeScaledDb
                        pan: model.pan
                        instrumentModel: model.instrumentModel
                        enableMute: true
                        enableSolo: true
                        muteToolTip: "Mute Track"
                        soloToolTip: "Solo Track"

                        function selectInstrument() {
                            track.currentInstrumentIndex = track.instrumentControl.indexOfValue(track.model.instrument);
                        }

                        onMuteClicked: track.model.isMuted = !track.isMuted
                        onSoloClicked: track.model.isSolo = !track.isSolo
                        onPanSet: value => track.model.pan = value
                        onVolumeSet: value => track.model.volumeScaledDb = value
                        onInstrumentSet: instrumentValue => track.model.instrument = instrumentValue
                        onInstrumentModelChanged: track.selectInstrument()
                        Component.onCompleted: track.selectInstrument()
                    }
                }
            }
        }
    }
}
