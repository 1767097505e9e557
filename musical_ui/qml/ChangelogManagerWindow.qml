import QtQuick
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The "Event Log Manager": the change logs in the show folder beside the versions shared on
// the server. The controller (ChangelogManagerController) sets the two models, shows the
// window and listens to `loadSelectedLocal`, `loadSelectedServer` and `closing`. At most one
// pane has a selection after a click; "Load Selected" reports it.
Window {
    id: root

    property alias localModel: localPane.model
    property alias serverModel: serverPane.model
    readonly property alias localPane: localPane
    readonly property alias serverPane: serverPane
    readonly property alias loadButton: loadButton

    signal loadSelectedLocal(int index)
    signal loadSelectedServer(int index)

    title: qsTr("Event Log Manager")
    visible: false
    width: 650
    height: 400
    minimumWidth: 500
    minimumHeight: 300
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    color: theme.default_bg_color

    ZarnTheme {
        id: theme
    }

    Column {
        id: column

        anchors.fill: parent
        anchors.margins: 15
        spacing: 10

        Row {
            id: panes

            width: column.width
            height: column.height - loadButton.height - column.spacing

            ChangelogList {
                id: localPane

                objectName: "localPane"
                width: panes.width / 2
                height: panes.height
                title: "Local Logs"
                isLocal: true
                onListHasFocus: serverPane.index = -1
            }
            ChangelogList {
                id: serverPane

                objectName: "serverPane"
                width: panes.width / 2
                height: panes.height
                title: "Server Logs"
                isLocal: false
                onListHasFocus: localPane.index = -1
            }
        }

        FlatButton {
            id: loadButton

            objectName: "loadSelectedButton"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Load Selected"
            font.pixelSize: 14
            enabled: localPane.isSelected() || serverPane.isSelected()
            onClicked: {
                if (localPane.isSelected())
                    root.loadSelectedLocal(localPane.index);
                else if (serverPane.isSelected())
                    root.loadSelectedServer(serverPane.index);
            }
        }
    }
}
