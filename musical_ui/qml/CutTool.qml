import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// The cut tool window: an in and an out position, OK and Cancel. OK sends the create or the
// change request, by the mode the controller opened it in, then closes. Nothing is checked
// here: the editor refuses a range it cannot take, with its reason.
EditTool {
    id: root

    property alias barModel: barAndBeatPanel.inBarModel
    property alias inBarModel: barAndBeatPanel.inBarModel

    signal createCutRequest(var startBar, var startBeat, var endBar, var endBeat)
    signal changeCutRequest(var startBar, var startBeat, var endBar, var endBeat)
    signal cutToolClosing()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 2.5;
    }

    function pressOk() {
        if (root.isEdit)
            root.changeCutRequest(barAndBeatPanel.inBar, barAndBeatPanel.inBeat, barAndBeatPanel.outBar,
                                  barAndBeatPanel.outBeat);
        else
            root.createCutRequest(barAndBeatPanel.inBar, barAndBeatPanel.inBeat, barAndBeatPanel.outBar,
                                  barAndBeatPanel.outBeat);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Cut") : qsTr("Create Cut")

    onWindowClosing: root.cutToolClosing()
    // Return and Escape work at once, without first moving the focus.
    onVisibleChanged: {
        if (visible)
            mainColumn.forceActiveFocus();
    }

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        id: mainColumn

        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.margins: 25
        spacing: 15
        focus: true

        Keys.onEscapePressed: root.close()
        Keys.onReturnPressed: root.pressOk()
        Keys.onEnterPressed: root.pressOk()

        BarAndBeatPanel {
            id: barAndBeatPanel
            objectName: "barAndBeatPanel"
            Layout.fillWidth: true
            hasDuration: true
            onPressEnter: root.pressOk()
            onInBarInputChanged: root.inBarChanged()
            onInBeatInputChanged: root.inBeatChanged()
        }

        StandardEditButtons {
            id: buttonRow
            objectName: "buttonRow"
            Layout.fillWidth: true
            onOkayClicked: root.pressOk()
            onCancelClicked: root.close()
        }

        EventIdLabel {
            objectName: "eventIdLabel"
            Layout.fillWidth: true
            value: root.eventId
            visible: false
        }
    }
}
