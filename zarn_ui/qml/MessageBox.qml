import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Layouts

// A plain text page for the engine's warnings, shown in a view of its own that takes its
// size. Nothing in it closes it: the view's own frame does.
Item {
    id: root

    property alias text: label.text

    signal close()

    width: 500
    height: 500

    ColumnLayout {
        anchors.fill: parent

        Text {
            id: label
            objectName: "messageText"
            Layout.alignment: Qt.AlignTop | Qt.AlignLeft
        }
    }
}
