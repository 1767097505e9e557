import QtQuick
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui

// The library's second half: lists, menus, scroll bars, sliders, dial, indicators and the
// labelled controls, in their main states, for looking at.
Rectangle {
    id: gallery
    width: 1200
    height: 800
    color: theme.default_bg_color

    ZarnTheme {
        id: theme
    }

    component Caption: Text {
        color: theme.dim_text_color
        font: theme.small_font
    }

    // Called once the gallery is on screen: popups need a window to open in.
    function showPopups() {
        fadeMenu.popup(fadeMenuAnchor, 0, 0);
        mainMenu.popup(mainMenuAnchor, 0, 0);
        destinations.forceActiveFocus();
        wait.start(4);
        wait.startTime = Date.now() - 1000;
        // Drawn at once, a quarter through, rather than at the timer's first tick.
        wait.advance();
    }

    ListModel {
        id: destinationModel
        ListElement { first: "Sound desk"; second: "192.168.0.10 : 53000 (UDP)" }
        ListElement { first: "Lighting console"; second: "192.168.0.11 : 8000 (UDP)" }
        ListElement { first: "Video server"; second: "192.168.0.12 : 9000 (TCP)" }
        ListElement { first: "Stage manager"; second: "192.168.0.13 : 53001 (UDP)" }
        ListElement { first: "Spare"; second: "127.0.0.1 : 55037 (UDP)" }
        ListElement { first: "Follow spot"; second: "192.168.0.14 : 7000 (UDP)" }
    }

    // Lists, grip, scroll bars
    Column {
        x: 20
        y: 20
        spacing: 8

        Caption { text: "CustomTwoColumnListView (focused, row 1 current) · HeaderLabelDrag" }
        Row {
            spacing: 30

            CustomTwoColumnListView {
                id: destinations
                objectName: "destinations"
                width: 360
                height: 150
                model: destinationModel
                colWidths: [130, 210]
                currentIndex: 1
            }

            Item {
                width: 260
                height: 150

                Rectangle {
                    id: farLeftColumn
                    width: 60
                    height: 24
                    color: theme.default_bg_unselected_color
                    Text {
                        anchors.centerIn: parent
                        text: "#"
                        color: theme.default_text_header_color
                        font: theme.default_font
                    }
                }
                Rectangle {
                    id: statusLabel
                    x: farLeftColumn.width + 3
                    width: grip.desiredWidth
                    height: 24
                    color: theme.default_bg_unselected_color
                    Text {
                        anchors.centerIn: parent
                        text: "Status"
                        color: theme.default_text_header_color
                        font: theme.default_font
                    }
                }
                HeaderLabelDrag {
                    id: grip
                    controlToLeft: statusLabel
                    controlToFarLeft: farLeftColumn
                    desiredWidth: 90
                }
            }
        }

        Caption { text: "CustomScrollBar, horizontal 20 high (timeline)" }
        Flickable {
            width: 360
            height: 40
            contentWidth: 1400
            clip: true
            Rectangle {
                width: 1400
                height: 20
                gradient: Gradient {
                    orientation: Gradient.Horizontal
                    GradientStop { position: 0; color: "#303030" }
                    GradientStop { position: 1; color: "#505050" }
                }
            }
            ScrollBar.horizontal: CustomScrollBar {
                height: 20
            }
        }

        Caption { text: "FileDisplay (scroll bar only when needed)" }
        Row {
            spacing: 20
            FileDisplay {
                width: 150
                height: 120
                text: "MIDI files"
                model: ["act1_opening.mid", "act1_scene2.mid", "act2_entr_acte.mid"]
            }
            FileDisplay {
                width: 150
                height: 120
                text: "Many files"
                model: ["cue01.wav", "cue02.wav", "cue03.wav", "cue04.wav", "cue05.wav", "cue06.wav", "cue07.wav"]
            }
        }
    }

    // Menus
    Column {
        x: 700
        y: 20
        spacing: 8

        Caption { text: "CustomContextMenu (fade lengths) · ZarnCustomMenu" }
        Row {
            spacing: 190
            Item {
                id: fadeMenuAnchor
                width: 1
                height: 1
            }
            Item {
                id: mainMenuAnchor
                width: 1
                height: 1
            }
        }
    }

    CustomContextMenu {
        id: fadeMenu
        closePolicy: Popup.NoAutoClose
        Action { text: "1 second" }
        Action { text: "3 seconds" }
        Action { text: "5 seconds" }
        Action { text: "7 seconds"; enabled: false }
        Menu {
            title: "More"
            Action { text: "10 seconds" }
        }
    }

    ZarnCustomMenu {
        id: mainMenu
        closePolicy: Popup.NoAutoClose
        Action { text: "Save"; shortcut: "Ctrl+S" }
        Action { text: "Undo"; shortcut: "Ctrl+Z"; enabled: false }
        ZarnCustomMenuSeparator {}
        Action { text: "Quit" }
    }

    // Sliders and dial
    Column {
        x: 20
        y: 420
        spacing: 10

        Caption { text: "ZarnCustomSlider 0..1 at 0.3 · at its mark · tempo −50..50 at 20 · no zero mark" }
        Row {
            spacing: 20
            ZarnCustomSlider {
                objectName: "sliderAt03"
                width: 150
                value: 0.3
            }
            ZarnCustomSlider {
                width: 150
                value: 0.5
            }
            ZarnCustomSlider {
                width: 150
                from: -50
                to: 50
                zeroMark: 0
                value: 20
            }
            ZarnCustomSlider {
                width: 150
                showZeroMark: false
                value: 0.8
            }
        }

        Caption { text: "ZarnCustomVolumeSlider at −6 dB, −20 dB, −12 dB" }
        Row {
            spacing: 20
            ZarnCustomVolumeSlider {
                width: 150
                value: zeroMark
            }
            ZarnCustomVolumeSlider {
                width: 150
                value: Math.exp(-20 / 25)
            }
            ZarnCustomVolumeSlider {
                id: typedSlider
                objectName: "typedVolumeSlider"
                width: 150
                value: Math.exp(-12 / 25)
            }
        }
        Item {
            width: 1
            height: 40
        }

        Caption { text: "ZarnCustomDial: centre, left, right 0.6, pressed Ctrl, disabled" }
        Row {
            spacing: 30
            topPadding: 6
            bottomPadding: 6
            ZarnCustomDial { objectName: "dialCentre" }
            ZarnCustomDial { value: -1 }
            ZarnCustomDial { value: 0.6 }
            ZarnCustomDial { ctrlPressed: true }
            ZarnCustomDial { enabled: false; value: 0.3 }
        }
    }

    // Indicators
    Column {
        x: 700
        y: 300
        spacing: 10

        Caption { text: "VolumeIndicatorSegmented, 10 segments: 0, 0.1, 0.5, 1, 2" }
        Repeater {
            model: [0, 0.1, 0.5, 1, 2]
            VolumeIndicatorSegmented {
                required property var modelData
                objectName: "meter" + modelData
                width: 220
                height: 14
                segments: 10
                value: modelData
            }
        }

        Caption { text: "WaitIndicator (running) · FlatProgressBar 300 wide: 0.02, 0.4, 1" }
        Row {
            spacing: 20
            WaitIndicator {
                id: wait
                visible: true
            }
            Column {
                spacing: 6
                FlatProgressBar { width: 300; value: 0.02 }
                FlatProgressBar { width: 300; value: 0.4; objectName: "progress40" }
                FlatProgressBar { width: 300; value: 1 }
            }
        }
    }

    // Labelled controls
    Column {
        x: 700
        y: 560
        spacing: 10
        width: 460

        Caption { text: "TextInputControl · DirectoryInputControl · FileInputControl · RecessedTextArea" }
        TextInputControl {
            width: 460
            text: "Show name"
            value: "Les Misérables"
        }
        DirectoryInputControl {
            width: 460
            text: "Destination"
            value: "/home/operator/My Shows"
        }
        FileInputControl {
            width: 460
            value: "/home/operator/Click Tracks/act1.wav"
            nameFilters: ["WAV Files (*.wav)", "All files (*)"]
        }
        RecessedTextArea {
            width: 460
            height: 50
            text: "A multi-line recessed text area.\nLong lines do not wrap, they run on past the right edge of the area and are clipped."
        }
    }
}
