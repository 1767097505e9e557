import QtQuick
import com.lanternhillstudios.zarn_ui

// The window every event tool is built on. A tool binds its size to its content; once the
// window completes that size is final, so the dialog never jumps while the user works in it.
Window {
    id: root

    property bool isEdit: false
    property string eventId: ""
    readonly property alias theme: theme
    readonly property alias topSpacer: topSpacer
    property alias windowHeight: root.height

    signal inBarChanged()
    signal inBeatChanged()
    signal windowClosing()

    width: 360
    height: 300
    title: qsTr("Edit Tool")
    modality: Qt.ApplicationModal
    flags: Qt.Dialog

    onClosing: root.windowClosing()

    Component.onCompleted: {
        const fixedWidth = root.width;
        const fixedHeight = root.height;
        // Assigning drops the tool's size bindings: the limits alone do not hold a window
        // on platforms without a window manager.
        root.width = fixedWidth;
        root.height = fixedHeight;
        root.minimumWidth = fixedWidth;
        root.maximumWidth = fixedWidth;
        root.minimumHeight = fixedHeight;
        root.maximumHeight = fixedHeight;
    }

    ZarnTheme {
        id: theme
    }

    Rectangle {
        objectName: "background"
        anchors.fill: parent
        color: theme.default_bg_color
    }

    Row {
        id: topSpacer
        objectName: "topSpacer"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: root.height / 10

        Rectangle {
            width: topSpacer.width
            height: topSpacer.height
            color: "transparent"
        }
    }
}
