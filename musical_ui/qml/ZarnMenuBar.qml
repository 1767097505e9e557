import QtQuick
import Qt.labs.platform as Platform

// The main menu's commands as a native menu bar, for platforms whose windows carry one. The
// program does not create it: the window's icon menu (ResponsiveMenu) holds the commands and
// their keys everywhere. Its menus need a QApplication where the platform has no native bar.
Platform.MenuBar {
    id: root

    property bool canUndo: false
    property bool canRedo: false
    property bool canDelete: true
    property bool canSave: false
    property bool canShare: false
    property string appName: "Application"
    property bool showAudioManager: true
    property bool oscEnabled: true
    readonly property string supportUrl: "https://lanternhillstudios.example/support"
    readonly property bool onMacOs: Qt.platform.os === "osx" || Qt.platform.os === "macos"

    signal undoClicked()
    signal redoClicked()
    signal deleteClicked()
    signal selectAllClicked()
    signal playPauseClicked()
    signal stopClicked()
    signal continuePlayClicked()
    signal jumpToBarClicked()
    signal nextMarkerClicked()
    signal prevMarkerClicked()
    signal nextBarClicked()
    signal prevBarClicked()
    signal zoomInClicked()
    signal zoomOutClicked()
    signal viewPastLogsClicked()
    signal getLatestLogClicked()
    signal saveClicked()
    signal shareClicked()
    signal midiCommandsClicked()
    signal audioManagerClicked()
    signal oscManagerClicked()
    signal aboutClicked()
    signal preferencesClicked()

    Platform.Menu {
        title: "&File"

        Platform.MenuItem {
            text: "Download Latest Log"
            onTriggered: root.getLatestLogClicked()
        }
        Platform.MenuSeparator {
        }
        Platform.MenuItem {
            text: "View Past Logs..."
            onTriggered: root.viewPastLogsClicked()
        }
        Platform.MenuItem {
            text: "Save Edits"
            shortcut: "Ctrl+S"
            enabled: root.canSave
            onTriggered: root.saveClicked()
        }
        Platform.MenuItem {
            text: "Share Edits"
            enabled: root.canShare
            onTriggered: root.shareClicked()
        }
        Platform.MenuSeparator {
        }
        Platform.MenuItem {
            text: "Quit " + root.appName
            shortcut: "Ctrl+Q"
            onTriggered: Qt.quit()
        }
    }

    Platform.Menu {
        title: "Edit"

        Platform.MenuItem {
            text: "Undo"
            shortcut: "Ctrl+z"
            enabled: root.canUndo
            onTriggered: root.undoClicked()
        }
        Platform.MenuItem {
            text: "Redo"
            shortcut: "Shift+Ctrl+z"
            enabled: root.canRedo
            onTriggered: root.redoClicked()
        }
        Platform.MenuSeparator {
        }
        Platform.MenuItem {
            text: "Delete"
            shortcut: "Backspace"
            enabled: root.canDelete
            onTriggered: root.deleteClicked()
        }
        Platform.MenuItem {
            text: "Select All"
            shortcut: "Ctrl+a"
            onTriggered: root.selectAllClicked()
        }
    }

    Platform.Menu {
        title: "Player"

        Platform.MenuItem {
            text: "Play/Pause"
            shortcut: " "
            onTriggered: root.playPauseClicked()
        }
        Platform.MenuItem {
            text: "Stop"
            shortcut: "Shift+ "
            onTriggered: root.stopClicked()
        }
        Platform.MenuItem {
            text: "Advance"
            shortcut: "Right"
            onTriggered: root.continuePlayClicked()
        }
        Platform.MenuSeparator {
        }
        Platform.MenuItem {
            text: "Jump to Bar..."
            shortcut: "Ctrl+b"
            onTriggered: root.jumpToBarClicked()
        }
        Platform.MenuItem {
            text: "Previous Marker"
            shortcut: ","
            onTriggered: root.prevMarkerClicked()
        }
        Platform.MenuItem {
            text: "Next Marker"
            shortcut: "."
            onTriggered: root.nextMarkerClicked()
        }
        Platform.MenuItem {
            text: "Previous Bar"
            shortcut: "Shift+,"
            onTriggered: root.prevBarClicked()
        }
        Platform.MenuItem {
            text: "Next Bar"
            shortcut: "Shift+."
            onTriggered: root.nextBarClicked()
        }
    }

    Platform.Menu {
        title: "View"

        Platform.MenuItem {
            text: "Zoom In Timeline"
            shortcut: "="
            onTriggered: root.zoomInClicked()
        }
        Platform.MenuItem {
            text: "Zoom Out Timeline"
            shortcut: "-"
            onTriggered: root.zoomOutClicked()
        }
    }

    Platform.Menu {
        title: "Tools"

        Platform.MenuItem {
            text: "Audio Manager..."
            shortcut: "Shift+Ctrl+G"
            enabled: root.showAudioManager
            onTriggered: root.audioManagerClicked()
        }
        Platform.MenuItem {
            text: "MIDI Manager..."
            shortcut: "Shift+Ctrl+M"
            onTriggered: root.midiCommandsClicked()
        }
        Platform.MenuItem {
            text: "OSC Manager..."
            shortcut: "Shift+Ctrl+O"
            enabled: root.oscEnabled
            onTriggered: root.oscManagerClicked()
        }
    }

    Platform.Menu {
        title: "Help"

        Platform.MenuItem {
            text: "About " + root.appName + "..."
            onTriggered: root.aboutClicked()
        }
        Platform.MenuItem {
            text: "ZARN Support Center..."
            onTriggered: Qt.openUrlExternally(root.supportUrl)
        }
        // macOS moves these into the application menu.
        Platform.MenuItem {
            text: "About " + root.appName
            role: Platform.MenuItem.AboutRole
            visible: root.onMacOs
            onTriggered: root.aboutClicked()
        }
        Platform.MenuItem {
            text: "ZARN Support Center"
            role: Platform.MenuItem.ApplicationSpecificRole
            visible: root.onMacOs
            onTriggered: Qt.openUrlExternally(root.supportUrl)
        }
    }
}
