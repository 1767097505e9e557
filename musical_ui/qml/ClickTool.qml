import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import Qt5Compat.GraphicalEffects
import com.lanternhillstudios.zarn_ui

// The click tool window: a range of bars and beats and the click resolution over it, chosen
// by its note picture from the values the engine allows for the range shown. Every picker
// change asks for those values again. OK sends the create or the change request, by the mode
// the controller opened it in, then closes.
EditTool {
    id: root

    property alias barModel: barAndBeatPanel.inBarModel
    property alias inBarModel: barAndBeatPanel.inBarModel
    property alias intValue: clickPicker.value
    property alias clickCountModel: clickPicker.model
    property alias clickCountIndex: clickPicker.currentIndex

    signal changeClickRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal createClickRequest(string startBar, int startBeat, string endBar, int endBeat, int count)
    signal clickToolClosing()
    signal updateAvailableClicks()

    function calculateWidth() {
        return barAndBeatPanel.comboBoxWidth * 2.5;
    }

    // The values that have a picture; any other shows none.
    readonly property var picturedValues: [1, 2, 3, 4, 6, 7, 8, 12, 14, 16, 24, 28, 30, 31, 32]

    function pictureOf(valueText) {
        const value = Number(valueText);
        if (valueText === "" || picturedValues.indexOf(value) < 0)
            return "";
        return "qrc:/images/notehead-" + value + ".svg";
    }

    function beatOf(text) {
        const beat = parseInt(text);
        return isNaN(beat) ? 0 : beat;
    }

    function pressOk() {
        const panel = barAndBeatPanel;
        if (root.isEdit)
            root.changeClickRequest(panel.inBar, beatOf(panel.inBeat), panel.outBar, beatOf(panel.outBeat),
                                    clickPicker.value);
        else
            root.createClickRequest(panel.inBar, beatOf(panel.inBeat), panel.outBar, beatOf(panel.outBeat),
                                    clickPicker.value);
        root.close();
    }

    width: calculateWidth()
    height: mainColumn.implicitHeight + 50
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    modality: Qt.ApplicationModal
    title: isEdit ? qsTr("Edit Click Resolution") : qsTr("Change Click Resolution")

    onWindowClosing: root.clickToolClosing()
    // Return and Escape work at once, and the arrows step through the values.
    onVisibleChanged: {
        if (visible)
            clickPicker.comboControl.forceActiveFocus();
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

        Keys.onEscapePressed: root.close()
        Keys.onReturnPressed: root.pressOk()
        Keys.onEnterPressed: root.pressOk()

        BarAndBeatPanel {
            id: barAndBeatPanel
            objectName: "barAndBeatPanel"
            Layout.fillWidth: true
            hasDuration: true
            onPressEnter: root.pressOk()
            onInBarInputChanged: {
                root.updateAvailableClicks();
                root.inBarChanged();
            }
            onInBeatInputChanged: {
                root.updateAvailableClicks();
                root.inBeatChanged();
            }
            onOutBarInputChanged: root.updateAvailableClicks()
            onOutBeatInputChanged: root.updateAvailableClicks()
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: qsTr("Click Resolution")
            color: theme.default_text_color
            font.pixelSize: 14
        }

        CustomComboBox {
            id: clickPicker
            objectName: "clickPicker"

            // The number the picker shows; 0 while it shows nothing.
            readonly property int value: Number(displayText)

            Layout.alignment: Qt.AlignHCenter
            mainLabel.visible: false
            comboControl.focus: true
            onEnterPressed: root.pressOk()

            Image {
                id: shownPicture
                objectName: "shownPicture"
                anchors.centerIn: parent
                width: 20
                height: 20
                // Drawn at the size it is shown, so the lines stay sharp.
                sourceSize: Qt.size(width, height)
                fillMode: Image.PreserveAspectFit
                source: root.pictureOf(clickPicker.displayText)
                layer.enabled: source.toString() !== ""
                layer.effect: ColorOverlay {
                    color: "#ffffff"
                }
            }

            // Light rows: the list is rebuilt on every range change, while it is closed too.
            delegate: Rectangle {
                id: valueRow

                required property int index
                required property var modelData
                readonly property bool highlighted: clickPicker.list.currentIndex === index

                width: clickPicker.list.width
                height: 40
                color: (highlighted || (valueRowMouse.containsMouse && !clickPicker.arrowSelectionMode))
                       ? Qt.lighter(clickPicker.default_popup_bg_color, 1.3) : clickPicker.default_popup_bg_color

                Image {
                    objectName: "valuePicture"
                    anchors.centerIn: parent
                    width: 25
                    height: 25
                    sourceSize: Qt.size(width, height)
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                    source: root.pictureOf(String(valueRow.modelData))
                    // The tint is made when the list opens, not with every row.
                    layer.enabled: clickPicker.choices.visible && source.toString() !== ""
                    layer.effect: ColorOverlay {
                        color: "#ffffff"
                    }
                }

                MouseArea {
                    id: valueRowMouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onEntered: {
                        clickPicker.arrowSelectionMode = false;
                        clickPicker.list.currentIndex = valueRow.index;
                    }
                    onClicked: {
                        clickPicker.currentIndex = valueRow.index;
                        clickPicker.activated(valueRow.index);
                        clickPicker.choices.close();
                    }
                }
            }
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
