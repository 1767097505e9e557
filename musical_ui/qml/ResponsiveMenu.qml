import QtQuick

// Stands in for the main menu: its button and the signals the main window relays, inert.
Item {
    id: menu

    property var rootWindow: null
    property var aboutWindow: null

    signal jumpToBarStart()
    signal changelogManagerOpened()
    signal outputPaths()
    signal getLatestLogClicked()
    signal zoomIn()

    width: 20
    height: 20

    Image {
        anchors.fill: parent
        source: "qrc:/images/responsive_menu.svg"
        fillMode: Image.PreserveAspectFit
    }
}
