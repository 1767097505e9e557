import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// Every control of the library's first half in its main states, for looking at and for the
// pixel checks of the gallery test.
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
        openCombo.choices.open();
        menu.popup(menuAnchor, 0, 0);
        focusedFlat.forceActiveFocus();
    }

    // Bevels and focus highlight
    Column {
        x: 20
        y: 20
        spacing: 12

        Caption { text: "BasicBevel 100x30 · RecessedBevel 50x20 · CustomBevel · hide_bottom · FocusHighlight" }
        Row {
            spacing: 20

            Rectangle {
                objectName: "bevel100x30"
                width: 100
                height: 30
                color: "#202020"
                BasicBevel {}
            }
            Rectangle {
                objectName: "bevel50x20"
                width: 50
                height: 20
                color: "#202020"
                RecessedBevel {}
            }
            Rectangle {
                width: 60
                height: 30
                color: "#2a2a2a"
                CustomBevel {}
            }
            Rectangle {
                width: 60
                height: 30
                color: "#2a2a2a"
                BasicBevel { hide_bottom: true; bevel_width: 3 }
            }
            Rectangle {
                width: 60
                height: 30
                color: "#525252"
                FocusHighlight { anchors.fill: parent }
            }
        }

        Caption { text: "FlatButton: default · cancel · plain · disabled · focused · high-vis · icon" }
        Row {
            spacing: 10

            FlatButton { text: "OK"; isDefault: true }
            FlatButton { text: "Cancel"; isCancel: true }
            FlatButton { text: "Choose" }
            FlatButton { text: "Disabled"; enabled: false; isDefault: true }
            FlatButton { id: focusedFlat; text: "Focused"; isDefault: true }
            FlatButton { text: "High vis"; highVisMode: true }
            FlatButton { text: "Save"; imageSource: "qrc:/images/save.svg" }
        }

        Caption { text: "BubbleButtonBar: idle · toggled tint · radiant · disabled · chevron · caption" }
        BubbleButtonBar {
            BubbleButton { imageSource: "qrc:/images/previous.svg" }
            BubbleButton { imageSource: "qrc:/images/play.svg"; toggled: true; colorToggledOn: true }
            BubbleButton { imageSource: "qrc:/images/pause.svg"; radiant: true }
            BubbleButton { imageSource: "qrc:/images/stop2.svg"; enabled: false }
            BubbleButton { imageSource: "qrc:/images/fade.svg"; showDownChevron: true }
            BubbleButton { imageSource: "qrc:/images/exit-vamp.svg"; showText: true; text: "Exit" }
        }

        Caption { text: "GraphicButton: icon · no image · disabled" }
        Row {
            spacing: 8

            GraphicButton { text: "Marker"; imageSource: "qrc:/images/edit_marker.svg" }
            GraphicButton { text: "Vamp"; imageSource: "qrc:/images/edit_vamp.svg" }
            GraphicButton { text: "Undo" }
            GraphicButton { text: "Delete"; imageSource: "qrc:/images/edit_delete.svg"; enabled: false }
        }

        Caption { text: "CustomTabBar (Playlist current, Mixer with icon) · ModeTabButton · TabButtom" }
        CustomTabBar {
            width: 520
            currentIndex: 0

            CustomTabButton { text: "Playlist"; source: "qrc:/images/list.svg" }
            CustomTabButton { text: "Marker List" }
            CustomTabButton { text: "Mixer"; source: "qrc:/images/mixer.svg" }
            CustomTabButton { text: "Event List"; enabled: false }
        }
        Row {
            spacing: 30

            TabBar {
                spacing: 0
                background: Rectangle { color: theme.dark_background_color }
                ModeTabButton { text: "Music Edit" }
                ModeTabButton { text: "Score" }
                ModeTabButton { text: "Disabled"; enabled: false }
            }
            TabBar {
                currentIndex: 1
                spacing: 0
                background: Rectangle { color: theme.dark_background_color }
                TabButtom { text: "First" }
                TabButtom { text: "Second"; source: "qrc:/images/list.svg" }
            }
        }
    }

    // Inputs
    Column {
        x: 20
        y: 470
        spacing: 12

        Caption { text: "CustomCheckbox · CustomComboBox · CustomSpinBox · RecessedSpinBox" }
        Row {
            spacing: 20

            CustomCheckbox { checkboxTextStr: "Do not show again" }
            CustomCheckbox { checkboxTextStr: "Acknowledged"; checkboxTextColor: "white"; checked: true }
        }
        Row {
            spacing: 20

            CustomComboBox { model: ["Output 1", "Output 2"] }
            CustomComboBox { model: ["Disabled"]; enabled: false }
        }
        Row {
            spacing: 20

            CustomSpinBox { width: 160; from: 0; to: 127; intValue: 78 }
            CustomSpinBox { width: 160; from: 0; to: 127; intValue: -1; underflowWithInfinite: true }
            RecessedSpinBox { from: 0; to: 500 }
            RecessedSpinBox { from: 1; to: 500; defaultValue: "2" }
        }
    }

    Column {
        x: 700
        y: 20
        spacing: 12

        Caption { text: "CustomTextInput · RecessedTextInput editable / read-only" }
        CustomTextInput { width: 200; text: "42"; horizontalAlignment: TextEdit.AlignHCenter }
        RecessedTextInput { width: 200; text: "Act One, Scene 2" }
        RecessedTextInput { width: 200; text: "read only"; editable: false }

        Caption { text: "ZarnToolTip" }
        Item {
            width: 200
            height: 30

            ZarnToolTip {
                text: "Opens the list"
                visible: true
                x: 0
                y: 0
                delay: 0
                timeout: -1
            }
        }

        Caption { text: "ZarnCustomMenu with ZarnCustomMenuSeparator and ZarnMenuItem" }
        Item {
            id: menuAnchor
            width: 220
            height: 200
        }

        Caption { text: "CustomComboBox, list open" }
        CustomComboBox {
            id: openCombo
            width: 180
            model: ["Built-in output", "USB interface with a rather long name", "Network output"]
            currentIndex: 1
        }
    }

    ZarnCustomMenu {
        id: menu
        // Leaves the focus with the focused button, which shows its focus state.
        focus: false
        closePolicy: Popup.NoAutoClose
        Action { text: "Save"; shortcut: "Ctrl+S" }
        Action { text: "Undo"; shortcut: "Ctrl+Z"; enabled: false }
        ZarnCustomMenuSeparator {}
        ZarnCustomMenu {
            title: "Recent"
            Action { text: "Nothing" }
        }
        ZarnMenuItem { menuText: "Plain item" }
    }
}
