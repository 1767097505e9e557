import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// The transport bar. It only reports the operator's presses; what the buttons show comes from
// the properties the main window writes, never from their own checked state.
Item {
    id: control

    property alias pauseEnabled: pauseButton.enabled
    property alias pauseToggled: pauseButton.toggled
    property alias stopToggled: stopButton.toggled
    property alias fadeEnabled: fadeButton.enabled
    property alias fadeToggled: fadeButton.toggled
    property bool highlightContinueButton: false
    property bool showFade: true

    // Reached by the tests.
    readonly property alias fadeMenu: fadeMenu

    signal prevSong()
    signal nextSong()
    signal stop()
    signal play()
    signal pause()
    signal continueFlow()
    signal fade(int fadeTimeMs)

    height: 52
    implicitWidth: row.implicitWidth
    implicitHeight: 52

    Row {
        id: row
        spacing: 15

        BubbleButtonBar {
            BubbleButton {
                objectName: "prevButton"
                text: "Prev"
                imageSource: "qrc:/images/previous.svg"
                toolTip.text: qsTr("Select previous song in playlist")
                onClicked: control.prevSong()
            }
            BubbleButton {
                objectName: "nextButton"
                text: "Next"
                imageSource: "qrc:/images/next.svg"
                toolTip.text: qsTr("Select next song in playlist")
                onClicked: control.nextSong()
            }
            BubbleButton {
                id: stopButton
                objectName: "stopButton"
                text: "Stop"
                imageSource: "qrc:/images/stop2.svg"
                toolTip.text: qsTr("Stop playback and return playhead to beginning of timeline")
                onClicked: control.stop()
            }
            BubbleButton {
                objectName: "playButton"
                text: "Play"
                imageSource: "qrc:/images/play.svg"
                toolTip.text: qsTr("Play selected song from playlist / resume playback in timeline")
                onClicked: control.play()
            }
            BubbleButton {
                id: pauseButton
                objectName: "pauseButton"
                text: "Pause"
                imageSource: "qrc:/images/pause.svg"
                toolTip.text: qsTr("Pause playback and playhead in timeline")
                checkable: true
                colorToggledOn: true
                enabled: false
                onClicked: control.pause()
            }
            BubbleButton {
                objectName: "exitVampButton"
                text: "Exit Vamp"
                imageSource: "qrc:/images/exit-vamp.svg"
                toolTip.text: qsTr("(1) Resume playback after Caesura (2) Jump to end of Skip (3) Exit a Vamp")
                checkable: true
                colorToggledOn: true
                toggled: control.highlightContinueButton
                radiant: control.highlightContinueButton
                onClicked: control.continueFlow()
            }
        }

        BubbleButtonBar {
            objectName: "fadeGroup"
            visible: control.showFade
            width: visible ? implicitWidth : 0

            BubbleButton {
                id: fadeButton
                objectName: "fadeButton"
                text: "Fade"
                imageSource: "qrc:/images/fade.svg"
                toolTip.text: qsTr("Fade Out Current Song and Move to Next Song (hold for timing options)")
                showDownChevron: true
                enabled: false
                // A held press opens the menu; the button then sends no click on release.
                onClicked: control.fade(3000)
                onPressAndHold: fadeMenu.popup(fadeButton, fadeButton.pressX, fadeButton.pressY)
            }
        }
    }

    CustomContextMenu {
        id: fadeMenu
        objectName: "fadeMenu"

        Action {
            text: qsTr("1 second")
            onTriggered: control.fade(1000)
        }
        Action {
            text: qsTr("3 seconds")
            onTriggered: control.fade(3000)
        }
        Action {
            text: qsTr("5 seconds")
            onTriggered: control.fade(5000)
        }
        Action {
            text: qsTr("7 seconds")
            onTriggered: control.fade(7000)
        }
    }
}
