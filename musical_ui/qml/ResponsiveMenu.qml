import QtQuick
import QtQuick.Controls
import QtQuick.Window
import Qt5Compat.GraphicalEffects
import com.lanternhillstudios.zarn_ui

// The main menu: an icon at the window's top left that opens every command of the program,
// with the keyboard shortcuts of those commands (window-wide) and five keys of its own. The
// entries emit plain signals; ResponsiveMenuController relays them and writes the undo, redo,
// save and share availability back. The about popup lives here too.
//
// Interface seen from C++ and the main window:
//   Properties: imageSource, imageSize, imageColor, rootWindow (the window Quit closes and the
//     about popup centres on), aboutWindow (the AboutWindow), canUndo, canRedo, canDelete,
//     canSave, canShare, appName, showAudioManager, oscEnabled, supportUrl.
//   Signals: the entries' (aboutClicked() ... selectAll()), jumpToBarStart(),
//     changelogManagerOpened() and getLatestLogClicked() (the window relays these three),
//     outputPaths() (no entry emits it), and the off-menu keys' selectionStartToCenter(),
//     selectionEndToCenter(), extendSelectionToStart(), extendSelectionToEnd().
//   Functions: convertShortCutForPlatform(shortcut[, os]), openMenu().
Item {
    id: root

    property url imageSource: "qrc:/images/responsive_menu"
    property size imageSize: Qt.size(20, 20)
    property color imageColor: "#D3D3D3"
    property var rootWindow: parent
    property alias aboutWindow: about
    property bool canUndo: false
    property bool canRedo: false
    property bool canDelete: true
    property bool canSave: false
    property bool canShare: false
    property string appName: "Application"
    property bool showAudioManager: false
    property bool oscEnabled: true
    readonly property string supportUrl: "https://lanternhillstudios.example/support"

    // Reached by the tests.
    readonly property alias popupMenu: menu

    signal aboutClicked()
    signal midiCommandsClicked()
    signal oscManagerClicked()
    signal audioManagerClicked()
    signal playPause()
    signal stop()
    signal continuePlay()
    signal jumpToBarStart()
    signal nextMarker()
    signal previousMarker()
    signal nextBar()
    signal previousBar()
    signal zoomIn()
    signal zoomOut()
    signal deleteSelected()
    signal selectAll()
    signal undo()
    signal redo()
    signal changelogManagerOpened()
    signal getLatestLogClicked()
    signal saveClicked()
    signal shareClicked()
    signal outputPaths()
    signal selectionStartToCenter()
    signal selectionEndToCenter()
    signal extendSelectionToStart()
    signal extendSelectionToEnd()

    // Shortcuts are written as on the maker's other platform, with "cmd" for the command key.
    // Qt knows no such key: everywhere but macOS it is the control key. The platform name
    // defaults to the running one; a test may pass another.
    function convertShortCutForPlatform(shortcut, os) {
        const text = String(shortcut);
        const platform = String(os === undefined ? Qt.platform.os : os).toLowerCase();
        if (platform === "osx" || platform === "macos")
            return text;
        return text.replace(/cmd/gi, "Ctrl");
    }

    function openMenu() {
        menu.x = 0;
        menu.y = root.height;
        menu.open();
    }

    function quit() {
        // The window refuses the close; its closing goes to the launcher, which may ask first.
        if (root.rootWindow && typeof root.rootWindow.close === "function")
            root.rootWindow.close();
    }

    width: 20
    height: 20

    Image {
        id: icon
        anchors.fill: parent
        source: root.imageSource
        sourceSize: Qt.size(root.imageSize.width * 2, root.imageSize.height * 2)
        fillMode: Image.PreserveAspectFit
        smooth: true
        mipmap: true
        visible: false
    }

    ColorOverlay {
        objectName: "iconOverlay"
        anchors.fill: icon
        source: icon
        color: iconArea.containsMouse ? Qt.lighter(root.imageColor, 1.65) : root.imageColor
    }

    MouseArea {
        id: iconArea
        objectName: "menuIcon"
        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.openMenu()
    }

    // Keys without an entry. Delete is not converted: it is the same key everywhere.
    Shortcut {
        sequence: "Delete"
        enabled: root.canDelete
        onActivated: root.deleteSelected()
    }
    Shortcut {
        sequence: "q"
        onActivated: root.selectionStartToCenter()
    }
    Shortcut {
        sequence: "w"
        onActivated: root.selectionEndToCenter()
    }
    Shortcut {
        sequence: "["
        onActivated: root.extendSelectionToStart()
    }
    Shortcut {
        sequence: "]"
        onActivated: root.extendSelectionToEnd()
    }

    ZarnCustomMenu {
        id: menu
        objectName: "mainMenu"

        ZarnCustomMenu {
            title: "File"

            Action {
                objectName: "downloadLatestLogAction"
                text: "Download Latest Log"
                onTriggered: root.getLatestLogClicked()
            }
            ZarnCustomMenuSeparator {
            }
            Action {
                objectName: "viewPastLogsAction"
                text: "View Past Logs..."
                onTriggered: root.changelogManagerOpened()
            }
            Action {
                objectName: "saveAction"
                text: "Save Edits"
                shortcut: root.convertShortCutForPlatform("Cmd+S")
                enabled: root.canSave
                onTriggered: root.saveClicked()
            }
            Action {
                objectName: "shareAction"
                text: "Share Edits"
                enabled: root.canShare
                onTriggered: root.shareClicked()
            }
            ZarnCustomMenuSeparator {
            }
            Action {
                objectName: "quitAction"
                text: "Quit " + root.appName
                shortcut: root.convertShortCutForPlatform("Cmd+Q")
                onTriggered: root.quit()
            }
        }

        ZarnCustomMenu {
            title: "Edit"

            Action {
                objectName: "undoAction"
                text: "Undo"
                shortcut: root.convertShortCutForPlatform("cmd+z")
                enabled: root.canUndo
                onTriggered: root.undo()
            }
            Action {
                objectName: "redoAction"
                text: "Redo"
                shortcut: root.convertShortCutForPlatform("cmd+shift+z")
                enabled: root.canRedo
                onTriggered: root.redo()
            }
            ZarnCustomMenuSeparator {
            }
            Action {
                objectName: "deleteAction"
                text: "Delete"
                shortcut: root.convertShortCutForPlatform("backspace")
                enabled: root.canDelete
                onTriggered: root.deleteSelected()
            }
            Action {
                objectName: "selectAllAction"
                text: "Select All"
                shortcut: root.convertShortCutForPlatform("cmd+a")
                onTriggered: root.selectAll()
            }
        }

        ZarnCustomMenu {
            title: "Player"

            Action {
                objectName: "playPauseAction"
                text: "Play/Pause"
                shortcut: root.convertShortCutForPlatform(" ")
                onTriggered: root.playPause()
            }
            Action {
                objectName: "stopAction"
                text: "Stop"
                shortcut: root.convertShortCutForPlatform("Shift+ ")
                onTriggered: root.stop()
            }
            Action {
                objectName: "advanceAction"
                text: "Advance"
                shortcut: root.convertShortCutForPlatform("Right")
                onTriggered: root.continuePlay()
            }
            ZarnCustomMenuSeparator {
            }
            Action {
                objectName: "jumpToBarAction"
                text: "Jump to Bar..."
                shortcut: root.convertShortCutForPlatform("Cmd+b")
                onTriggered: root.jumpToBarStart()
            }
            Action {
                objectName: "previousMarkerAction"
                text: "Previous Marker"
                shortcut: root.convertShortCutForPlatform(",")
                onTriggered: root.previousMarker()
            }
            Action {
                objectName: "nextMarkerAction"
                text: "Next Marker"
                shortcut: root.convertShortCutForPlatform(".")
                onTriggered: root.nextMarker()
            }
            Action {
                objectName: "previousBarAction"
                text: "Previous Bar"
                shortcut: root.convertShortCutForPlatform("Shift+,")
                onTriggered: root.previousBar()
            }
            Action {
                objectName: "nextBarAction"
                text: "Next Bar"
                shortcut: root.convertShortCutForPlatform("Shift+.")
                onTriggered: root.nextBar()
            }
        }

        ZarnCustomMenu {
            title: "View"

            Action {
                objectName: "zoomInAction"
                text: "Zoom In Timeline"
                shortcut: root.convertShortCutForPlatform("=")
                onTriggered: root.zoomIn()
            }
            Action {
                objectName: "zoomOutAction"
                text: "Zoom Out Timeline"
                shortcut: root.convertShortCutForPlatform("-")
                onTriggered: root.zoomOut()
            }
        }

        ZarnCustomMenu {
            title: "Tools"

            Action {
                objectName: "audioManagerAction"
                text: "Audio Manager..."
                shortcut: root.convertShortCutForPlatform("Shift+Cmd+G")
                enabled: root.showAudioManager
                onTriggered: root.audioManagerClicked()
            }
            Action {
                objectName: "midiManagerAction"
                text: "MIDI Manager..."
                shortcut: root.convertShortCutForPlatform("Shift+Cmd+M")
                onTriggered: root.midiCommandsClicked()
            }
            Action {
                objectName: "oscManagerAction"
                text: "OSC Manager..."
                shortcut: root.convertShortCutForPlatform("Shift+Cmd+O")
                enabled: root.oscEnabled
                onTriggered: root.oscManagerClicked()
            }
        }

        ZarnCustomMenu {
            title: "Help"

            Action {
                objectName: "aboutAction"
                text: "About " + root.appName + "..."
                onTriggered: root.aboutClicked()
            }
            Action {
                objectName: "supportAction"
                text: "ZARN Support Center..."
                onTriggered: Qt.openUrlExternally(root.supportUrl)
            }
        }
    }

    AboutWindow {
        id: about
        objectName: "aboutWindow"
        // It spans the window's content rather than the icon, so its popup centres in the
        // window.
        parent: root.Window.contentItem ? root.Window.contentItem : root
        rootWindow: root.rootWindow
        showAcknowledgments: true
    }
}
