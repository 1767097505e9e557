// The main window: menu, mode tabs, transport bar, status banner with album art and corner
// logo, the timeline over the edit panel, the score page and the jump-to-bar prompt. It holds
// no show logic: gestures become signals for the main window controller, which reaches the
// children through the aliases below and calls the functions below by name.
//
// Interface seen from C++:
//   Properties: albumArtImageUrl (url), marginSize (int), oscEnable (bool), showFade (bool),
//     showScore (bool), showMixer (bool), title (string, the window's).
//   Aliases: statusBannerControl, key, tempo, meter, transpose, tempoScale, beat, measure
//     (strings), songTitle (string), flowControlLabel, flowControlValue (strings),
//     flowControlBackgroundColor (color), volumeLevelPercent (real), highlightContinueButton
//     (bool), mixerControl, aboutWindow, menu, albumArtImageControl, showAlbumArtImage (bool),
//     cornerLogoSource (url), editPanelControl, timelineControl, timelineEditControl,
//     scoreControl.
//   Signals out: play(), stop(), pause(), fade(int fadeTimeMs), continueFlow(), nextSong(),
//     prevSong(), jumpToBar(QString barNum), changelogManagerOpened(), outputPathsOpened(),
//     getLatestLogClicked(), songIndexChanged(),
//     caesuraButtonPressed(int start), markerButtonPressed(int start),
//     oscButtonPressed(int start), skipButtonPressed(int start, int end),
//     vampButtonPressed(int start, int end), cutButtonPressed(int start, int end),
//     transposeButtonPressed(int start, int end), tempoButtonPressed(int start, int end),
//     repeatButtonPressed(int start, int end), clickButtonPressed(int start, int end),
//     closing(QQuickCloseEvent*) (the window's own; the close is always refused here).
//   Signals in (emitted by the controller): playStarted(), stopped(), paused(), fading(),
//     jumpToBarResult(bool success).
//   Functions: startJumpToBar(), setSelectionStart(tickValue), setSelectionEnd(tickValue),
//     getSelectionStart(), getSelectionEnd() (QVariant arguments and results).
import QtQuick 2.15
import QtQuick.Window 2.15
import QtQuick.Controls 2.5
import QtQuick.Layouts 1.15
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

ApplicationWindow {
    id: control

    property url albumArtImageUrl: ""
    property int marginSize: 15
    property bool oscEnable: true
    property bool showFade: true
    property bool showScore: false
    property bool showMixer: false

    property alias statusBannerControl: statusBanner
    property alias key: statusBanner.key
    property alias tempo: statusBanner.tempo
    property alias meter: statusBanner.meter
    property alias transpose: statusBanner.transpose
    property alias tempoScale: statusBanner.tempoScale
    property alias beat: statusBanner.beat
    property alias measure: statusBanner.measure
    property alias songTitle: statusBanner.songTitle
    property alias flowControlLabel: statusBanner.flowControlLabel
    property alias flowControlValue: statusBanner.flowControlValue
    property alias flowControlBackgroundColor: statusBanner.flowControlBackgroundColor
    property alias volumeLevelPercent: statusBanner.volumeLevelPercent
    property alias highlightContinueButton: playControl.highlightContinueButton
    property alias mixerControl: editPanel.mixerControl
    property alias aboutWindow: responsiveMenu.aboutWindow
    property alias menu: responsiveMenu
    property alias albumArtImageControl: statusBanner.albumArtImageControl
    property alias showAlbumArtImage: statusBanner.albumArtVisible
    property alias cornerLogoSource: logo.source
    property alias editPanelControl: editPanel
    property alias timelineControl: timeline.timelineControl
    property alias timelineEditControl: timeline
    property alias scoreControl: scoreModeView

    // Reached by the tests.
    readonly property alias playControl: playControl
    readonly property alias jumpControl: jump
    readonly property alias modeBarControl: modeBar

    signal play()
    signal stop()
    signal pause()
    signal fade(int fadeTimeMs)
    signal continueFlow()
    signal nextSong()
    signal prevSong()
    signal jumpToBar(string barNum)
    signal changelogManagerOpened()
    signal outputPathsOpened()
    signal getLatestLogClicked()
    signal caesuraButtonPressed(int start)
    signal markerButtonPressed(int start)
    signal oscButtonPressed(int start)
    signal skipButtonPressed(int start, int end)
    signal vampButtonPressed(int start, int end)
    signal cutButtonPressed(int start, int end)
    signal transposeButtonPressed(int start, int end)
    signal tempoButtonPressed(int start, int end)
    signal repeatButtonPressed(int start, int end)
    signal clickButtonPressed(int start, int end)
    signal songIndexChanged()

    signal playStarted()
    signal stopped()
    signal paused()
    signal fading()
    signal jumpToBarResult(bool success)

    function startJumpToBar() {
        jump.open();
    }

    function setSelectionStart(tickValue) {
        timelineControl.selectionStart = tickValue / 25;
    }

    function setSelectionEnd(tickValue) {
        timelineControl.selectionEnd = tickValue / 25;
        timelineControl.selectionActive = true;
    }

    function getSelectionStart() {
        const t = timelineControl;
        return t.calculateScaledPosition(t.selectionStart * t.viewScale);
    }

    function getSelectionEnd() {
        const t = timelineControl;
        return t.calculateScaledPosition(t.selectionEnd * t.viewScale);
    }

    minimumWidth: 1366
    minimumHeight: 768
    width: minimumWidth
    height: minimumHeight
    visible: true
    title: "Corvane"
    color: theme.default_bg_color

    onPlayStarted: {
        playControl.stopToggled = true;
        playControl.pauseEnabled = true;
        playControl.pauseToggled = false;
        playControl.fadeEnabled = true;
    }
    onStopped: {
        playControl.stopToggled = false;
        playControl.pauseEnabled = false;
        playControl.pauseToggled = false;
        playControl.fadeEnabled = false;
    }
    onPaused: {
        playControl.pauseToggled = true;
        playControl.fadeEnabled = false;
    }
    onFading: {
        playControl.stopToggled = true;
        playControl.pauseEnabled = true;
        playControl.pauseToggled = false;
        playControl.fadeEnabled = false;
    }
    onJumpToBarResult: (success) => jump.result(success)

    // The window never closes by itself: the launcher decides, offering to save first.
    onClosing: (close) => { close.accepted = false; }

    ZarnTheme {
        id: theme
    }

    QtObject {
        id: ticks

        // Ticks of the selection's ends while one is active, else the playhead's twice. The
        // playhead's x went through a multiplication by the view scale, so the quotient is
        // rounded rather than cut: 74.99999 must still be tick 75.
        function forTool() {
            const t = control.timelineControl;
            if (t.selectionActive)
                return [Math.round(t.calculateScaledPosition(t.selectionStart * t.viewScale)),
                        Math.round(t.calculateScaledPosition(t.selectionEnd * t.viewScale))];
            const at = Math.round(t.calculateScaledPosition(t.playheadItem.x));
            return [at, at];
        }
    }

    Connections {
        target: editPanel

        function onCaesuraButtonPressed() {
            control.caesuraButtonPressed(ticks.forTool()[0]);
        }
        function onMarkerButtonPressed() {
            control.markerButtonPressed(ticks.forTool()[0]);
        }
        function onOscButtonPressed() {
            control.oscButtonPressed(ticks.forTool()[0]);
        }
        function onSkipButtonPressed() {
            const t = ticks.forTool();
            control.skipButtonPressed(t[0], t[1]);
        }
        function onVampButtonPressed() {
            const t = ticks.forTool();
            control.vampButtonPressed(t[0], t[1]);
        }
        function onCutButtonPressed() {
            const t = ticks.forTool();
            control.cutButtonPressed(t[0], t[1]);
        }
        function onTransposeButtonPressed() {
            const t = ticks.forTool();
            control.transposeButtonPressed(t[0], t[1]);
        }
        function onTempoButtonPressed() {
            const t = ticks.forTool();
            control.tempoButtonPressed(t[0], t[1]);
        }
        function onRepeatButtonPressed() {
            const t = ticks.forTool();
            control.repeatButtonPressed(t[0], t[1]);
        }
        function onClickButtonPressed() {
            const t = ticks.forTool();
            control.clickButtonPressed(t[0], t[1]);
        }
        function onSongIndexChanged() {
            control.songIndexChanged();
        }
    }

    Item {
        id: content
        objectName: "keyScope"
        anchors.fill: parent
        focus: true

        // The keypad's plus zooms in too; the menu's own shortcut only knows the main one.
        Keys.onPressed: (event) => {
            if (event.key === Qt.Key_Plus) {
                responsiveMenu.zoomIn();
                event.accepted = true;
            }
        }

        ResponsiveMenu {
            id: responsiveMenu
            objectName: "responsiveMenu"
            rootWindow: control
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.topMargin: 10
            anchors.leftMargin: 10

            onJumpToBarStart: control.startJumpToBar()
            onChangelogManagerOpened: control.changelogManagerOpened()
            onOutputPaths: control.outputPathsOpened()
            onGetLatestLogClicked: control.getLatestLogClicked()
        }

        TabBar {
            id: modeBar
            objectName: "modeBar"
            anchors.left: responsiveMenu.right
            anchors.leftMargin: 10
            anchors.top: parent.top
            currentIndex: 0
            spacing: 0

            background: Rectangle {
                color: theme.default_bg_color
            }

            ModeTabButton {
                objectName: "musicEditTab"
                text: qsTr("Music Edit")
                font: theme.default_font
            }
            ModeTabButton {
                objectName: "scoreTab"
                text: qsTr("Score")
                font: theme.default_font
                visible: control.showScore
                // A hidden tab keeps no room in the bar.
                width: visible ? 1.2 * implicitWidth : 0
            }
        }

        ColumnLayout {
            anchors.top: modeBar.bottom
            anchors.topMargin: 25
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.bottomMargin: theme.bevel_width
            spacing: 2

            RowLayout {
                Layout.fillWidth: true
                Layout.preferredHeight: 100
                Layout.leftMargin: control.marginSize
                Layout.rightMargin: control.marginSize
                Layout.bottomMargin: control.marginSize
                spacing: 15

                PlayControl {
                    id: playControl
                    objectName: "playControl"
                    Layout.alignment: Qt.AlignLeft | Qt.AlignBottom
                    showFade: control.showFade

                    onPlay: control.play()
                    onStop: control.stop()
                    onPause: control.pause()
                    onFade: (fadeTimeMs) => control.fade(fadeTimeMs)
                    onContinueFlow: control.continueFlow()
                    onNextSong: control.nextSong()
                    onPrevSong: control.prevSong()
                }

                ShowStatusBanner {
                    id: statusBanner
                    objectName: "statusBanner"
                    Layout.fillWidth: true
                    // Its foot on the transport bar's, so the two read as one strip.
                    Layout.alignment: Qt.AlignBottom
                    albumArtImageControl.source: control.albumArtImageUrl

                    onBarBeatClicked: control.startJumpToBar()
                }

                Image {
                    id: logo
                    objectName: "cornerLogo"
                    Layout.preferredHeight: 80
                    // Its painted width at that height, from the picture's own proportions: a
                    // binding to paintedWidth keeps the first picture's width after the
                    // controller swaps in the edition's logo, leaving empty room the banner needs.
                    Layout.preferredWidth: sourceSize.height > 0 ? Math.round(80 * sourceSize.width / sourceSize.height) : 0
                    Layout.alignment: Qt.AlignRight | Qt.AlignVCenter
                    fillMode: Image.PreserveAspectFit
                    source: "qrc:/images/zarn_flat_logo.png"
                    smooth: true
                    antialiasing: true
                    mipmap: true
                }
            }

            StackLayout {
                objectName: "modeStack"
                Layout.fillWidth: true
                Layout.fillHeight: true
                currentIndex: modeBar.currentIndex

                ColumnLayout {
                    spacing: 0

                    TimeLineEditPanel {
                        id: timeline
                        objectName: "timelineEditControl"
                        Layout.fillWidth: true
                        Layout.preferredHeight: implicitHeight
                    }

                    Item {
                        id: bottomPanel
                        Layout.fillWidth: true
                        Layout.fillHeight: true

                        EditPanel {
                            id: editPanel
                            objectName: "editPanelControl"
                            anchors.fill: parent
                            showMixer: control.showMixer
                            oscEnable: control.oscEnable
                        }
                    }
                }

                ScoreView {
                    id: scoreModeView
                    objectName: "scoreView"
                    visible: false
                }
            }
        }

        JumpToBar {
            id: jump
            objectName: "jumpToBar"
            onOk: control.jumpToBar(jump.barNum)
        }
    }
}
