import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Layouts
import QtQuick.Window
import Qt5Compat.GraphicalEffects

// The prompt: a question with up to three answers (cancel, accept, negate) and, where
// needed, a line of text or a confirming tick.
Window {
    id: root

    // Heading under the icon; the window itself carries no title.
    property alias title: titleText.text
    property alias text: messageText.text
    property string type: "INFO"
    property alias value: inputField.text
    property bool showConfirmation: false
    property string confirmationPreamble: "Please read the following before you go on."
    property string confirmationText: "I understand"
    property alias acceptButtonText: acceptButton.text
    property alias cancelButtonText: cancelButton.text
    property alias negateButtonText: negateButton.text
    // Plain flags rather than aliases of the items' visibility: an item reads back as hidden
    // while any of its parents is, which would make the flags lie.
    property bool showNegateButton: false
    property bool showInputField: true

    readonly property string iconSource: {
        switch (type.toUpperCase()) {
        case "ERROR": return "qrc:/images/error_icon.svg";
        case "WARNING": return "qrc:/images/warning_icon.svg";
        case "INFO": return "qrc:/images/info_icon.svg";
        default: return "";
        }
    }
    readonly property color iconColor: {
        switch (type.toUpperCase()) {
        case "ERROR": return "#FF5757";
        case "WARNING": return "#FFC400";
        case "INFO": return "#00AEEF";
        default: return "Silver";
        }
    }
    readonly property int dialogWidth: 425
    readonly property int dialogHeight: column.height + 32
    readonly property bool acceptEnabled: (!showConfirmation || confirmationBox.checked)
                                          && (!showInputField || inputField.text.trim() !== "")

    // True while a button closes the window, so the close handler can tell a button from
    // the title bar.
    property bool closingByButton: false

    signal accepted()
    signal cancelled()
    signal negated()

    function closeByButton() {
        root.closingByButton = true;
        root.close();
        root.closingByButton = false;
    }
    function acceptAction() {
        if (!root.acceptEnabled)
            return;
        closeByButton();
        root.accepted();
    }
    function cancelAction() {
        closeByButton();
        root.cancelled();
    }
    function negateAction() {
        closeByButton();
        root.negated();
    }
    // Escape must never throw work away: where a negate button is offered it is the
    // harmless answer ("Cancel" of the unsaved-changes prompt), so Escape takes it.
    function escapeAction() {
        if (root.showNegateButton)
            negateAction();
        else
            cancelAction();
    }
    function takeInitialFocus() {
        if (!root.visible)
            return;
        if (root.showInputField)
            inputField.field.forceActiveFocus();
        else
            content.forceActiveFocus();
    }

    visible: false
    width: dialogWidth
    height: dialogHeight
    minimumWidth: dialogWidth
    maximumWidth: dialogWidth
    minimumHeight: dialogHeight
    maximumHeight: dialogHeight
    color: theme.default_bg_color_popup
    flags: Qt.CustomizeWindowHint | Qt.WindowCloseButtonHint | Qt.Dialog
    modality: Qt.ApplicationModal

    onVisibleChanged: takeInitialFocus()
    onShowInputFieldChanged: takeInitialFocus()

    // Closing by the title bar answers like the negate button, so no request that opened
    // the prompt is left waiting for an answer.
    onClosing: {
        console.debug("Closing");
        if (!root.closingByButton)
            root.negated();
    }

    ZarnTheme {
        id: theme
    }

    Item {
        id: content
        objectName: "content"
        // Sized from the fixed width, not from the window, so the height is right before
        // the window has been shown (and resized) for the first time.
        x: 16
        y: 16
        width: root.dialogWidth - 32
        height: root.dialogHeight - 32
        focus: true

        Keys.onPressed: (event) => {
            if (event.key === Qt.Key_Escape) {
                event.accepted = true;
                root.escapeAction();
            } else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                event.accepted = true;
                root.acceptAction();
            }
        }

        Column {
            id: column
            width: parent.width
            spacing: 16

            Item {
                objectName: "iconItem"
                width: 72
                height: 72
                anchors.horizontalCenter: parent.horizontalCenter

                Image {
                    id: icon
                    objectName: "icon"
                    anchors.fill: parent
                    source: root.iconSource
                    sourceSize.width: 72
                    sourceSize.height: 72
                    fillMode: Image.PreserveAspectFit
                    smooth: true
                    visible: false
                }
                ColorOverlay {
                    objectName: "iconOverlay"
                    anchors.fill: icon
                    source: icon
                    color: root.iconColor
                }
            }

            Text {
                id: titleText
                objectName: "titleText"
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                color: theme.light_text_color
                font.bold: true
                font.pixelSize: theme.default_font.pixelSize + 1
            }

            Text {
                id: messageText
                objectName: "messageText"
                width: parent.width
                horizontalAlignment: Text.AlignLeft
                wrapMode: Text.WordWrap
                textFormat: Text.AutoText
                font: theme.default_font
                color: theme.default_text_color
            }

            Text {
                id: preambleText
                objectName: "preambleText"
                width: parent.width
                horizontalAlignment: Text.AlignLeft
                wrapMode: Text.WordWrap
                textFormat: Text.AutoText
                font: theme.default_font
                color: theme.default_text_color
                linkColor: "white"
                text: root.confirmationPreamble
                visible: root.showConfirmation && root.confirmationPreamble !== ""
                onLinkActivated: (link) => Qt.openUrlExternally(link)

                HoverHandler {
                    enabled: preambleText.hoveredLink !== ""
                    cursorShape: Qt.PointingHandCursor
                }
            }

            CustomCheckbox {
                id: confirmationBox
                objectName: "confirmationBox"
                checkboxTextStr: root.confirmationText
                checkboxTextColor: "white"
                visible: root.showConfirmation
            }

            RecessedTextInput {
                id: inputField
                objectName: "inputField"
                width: parent.width
                anchors.horizontalCenter: parent.horizontalCenter
                backgroundColor: Qt.lighter(theme.default_bg_color, 1.5)
                visible: root.showInputField
            }

            // Each button is centred in a cell of its own; a cell never gets narrower than its
            // button, so long captions push their neighbours aside instead of overlapping.
            RowLayout {
                id: buttonRow
                width: parent.width
                spacing: 0

                Item {
                    Layout.fillWidth: true
                    Layout.preferredWidth: buttonRow.width / (root.showNegateButton ? 3 : 2)
                    Layout.minimumWidth: cancelButton.implicitWidth + 4
                    implicitHeight: cancelButton.implicitHeight
                    FlatButton {
                        id: cancelButton
                        objectName: "cancelButton"
                        anchors.centerIn: parent
                        text: "Cancel"
                        onClicked: root.cancelAction()
                    }
                }
                Item {
                    Layout.fillWidth: true
                    Layout.preferredWidth: buttonRow.width / (root.showNegateButton ? 3 : 2)
                    Layout.minimumWidth: acceptButton.implicitWidth + 4
                    implicitHeight: acceptButton.implicitHeight
                    FlatButton {
                        id: acceptButton
                        objectName: "acceptButton"
                        anchors.centerIn: parent
                        text: "OK"
                        isDefault: true
                        enabled: root.acceptEnabled
                        onClicked: root.acceptAction()
                    }
                }
                Item {
                    Layout.fillWidth: true
                    Layout.preferredWidth: buttonRow.width / 3
                    Layout.minimumWidth: negateButton.implicitWidth + 4
                    implicitHeight: negateButton.implicitHeight
                    visible: root.showNegateButton
                    FlatButton {
                        id: negateButton
                        objectName: "negateButton"
                        anchors.centerIn: parent
                        text: ""
                        onClicked: root.negateAction()
                    }
                }
            }
        }
    }
}
