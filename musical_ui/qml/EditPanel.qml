import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The lower half of the editing page: the edit bar over the song, marker (or mixer) and
// event panes. Its back end reaches the parts through the aliases below. The colours come
// from the theme object `theme` of the window the panel is placed in.
Item {
    id: root

    property alias songListControl: songList
    property alias markerListControl: markerList
    property alias eventListControl: eventList
    property alias editBarControl: editBar
    property alias logVersionText: logVersion.text
    property alias mixerControl: mixer

    property bool oscEnable: true
    property bool showMixer: false

    signal caesuraButtonPressed()
    signal cutButtonPressed()
    signal markerButtonPressed()
    signal skipButtonPressed()
    signal vampButtonPressed()
    signal oscButtonPressed()
    signal transposeButtonPressed()
    signal tempoButtonPressed()
    signal repeatButtonPressed()
    signal clickButtonPressed()
    signal markerSelected(int index)
    signal editSelectedMarkerItem()
    signal editSelectedEventItem()
    signal songIndexChanged()

    Column {
        anchors.fill: parent

        TimeLineEditorBar {
            id: editBar
            objectName: "editBar"
            width: root.width - 15
            enableOsc: root.oscEnable

            onCaesuraButton: root.caesuraButtonPressed()
            onCutButton: root.cutButtonPressed()
            onMarkerButton: root.markerButtonPressed()
            onSkipButton: root.skipButtonPressed()
            onVampButton: root.vampButtonPressed()
            onOscButton: root.oscButtonPressed()
            onTransposeButton: root.transposeButtonPressed()
            onTempoScaleButton: root.tempoButtonPressed()
            onRepeatButton: root.repeatButtonPressed()
            onClickButton: root.clickButtonPressed()
        }

        Row {
            id: panes
            width: root.width
            height: root.height - editBar.height
            leftPadding: theme.bevel_width + 1
            spacing: theme.bevel_width

            Rectangle {
                id: songPane
                objectName: "songPane"
                width: root.width * 0.333333
                height: panes.height
                color: theme.default_bg_color

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    CustomTabBar {
                        currentIndex: 0
                        Layout.fillWidth: true

                        CustomTabButton {
                            source: "qrc:/images/single_note.svg"
                            text: qsTr("Playlist")
                            toolTip.text: qsTr("List of songs")
                        }
                    }
                    SongListView {
                        id: songList
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        model: ListModel {
                            ListElement { song_number: "1"; song_name: "Song"; status: "plays" }
                            ListElement { song_number: "2"; song_name: "Song"; status: "plays" }
                        }
                        onCurrentItemChanged: root.songIndexChanged()
                    }
                }
                BasicBevel {}
            }

            Rectangle {
                id: markerPane
                objectName: "markerPane"
                width: root.width * 0.333333
                height: panes.height
                color: theme.default_bg_color

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    CustomTabBar {
                        id: markerTabs
                        objectName: "markerTabs"
                        currentIndex: root.showMixer ? 1 : 0
                        Layout.fillWidth: true

                        CustomTabButton {
                            objectName: "markerTab"
                            source: "qrc:/images/marker.svg"
                            text: qsTr("Marker List")
                            toolTip.text: qsTr("Reference markers pre-set to match the score")
                            showHoverEffect: root.showMixer
                        }
                        CustomTabButton {
                            objectName: "mixerTab"
                            source: "qrc:/images/mixer.svg"
                            text: qsTr("Mixer  ")
                            toolTip.text: qsTr("Control individual output streams")
                            iconScale: 1.4
                            visible: root.showMixer
                            showHoverEffect: true
                        }
                    }
                    StackLayout {
                        objectName: "markerStack"
                        currentIndex: markerTabs.currentIndex
                        Layout.fillWidth: true
                        Layout.fillHeight: true

                        MarkerListView {
                            id: markerList
                            onItemClicked: root.markerSelected(markerList.currentIndex)
                            onEditSelectedItem: root.editSelectedMarkerItem()
                        }
                        MixerView {
                            id: mixer
                        }
                    }
                }
                BasicBevel {}
            }

            Rectangle {
                objectName: "eventPane"
                // The three thirds with the margin and the gaps are wider than the panel: the
                // last pane takes what is left, so its scroll bar stays inside.
                width: Math.min(root.width * 0.33333, root.width - panes.leftPadding - 2 * panes.spacing
                                - songPane.width - markerPane.width)
                height: panes.height
                color: theme.default_bg_color

                ColumnLayout {
                    anchors.fill: parent
                    spacing: 0

                    Item {
                        Layout.fillWidth: true
                        Layout.preferredHeight: eventTabs.implicitHeight

                        CustomTabBar {
                            id: eventTabs
                            currentIndex: 0
                            width: parent.width
                            height: parent.height

                            CustomTabButton {
                                source: "qrc:/images/list.svg"
                                text: qsTr("Event List")
                                toolTip.text: qsTr("Pre-set and Custom Events. Color coded by function")
                            }
                        }
                        Text {
                            id: logVersion
                            objectName: "logVersion"
                            anchors.right: parent.right
                            anchors.rightMargin: 20
                            anchors.verticalCenter: parent.verticalCenter
                            text: "Log v0.0"
                            color: theme.default_text_header_color
                            font: theme.default_font
                        }
                    }
                    EventListView {
                        id: eventList
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        enableOsc: root.oscEnable
                    }
                }
            }
        }
    }
}
