import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Window
import Qt5Compat.GraphicalEffects

// The message dialog: an icon coloured by the kind of message, a bold title, the message,
// up to two check boxes and OK. Its controller fills and shows it; screens may also declare
// one, set title, type and text, make it visible and react to `accepted`.
Window {
    id: root

    // Heading under the icon; the window itself carries no title.
    property alias title: titleText.text
    property alias text: messageText.text
    property string type: "INFO"
    property bool showCheckbox: false
    property bool makeNeverShowSecret: false
    property bool toggleNeverShowHeld: false
    property bool acknowledgeCheckbox: false
    property string okCheckboxString: "Acknowledge"
    property bool largerWindow: false

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
    readonly property int dialogWidth: largerWindow ? 500 : 325
    readonly property int dialogHeight: column.height + 32
    readonly property bool okEnabled: okButton.enabled

    // The reveal key shows a secret "Do not show again" box while it is held.
    readonly property bool revealIsAlt: Qt.platform.os === "osx" || Qt.platform.os === "macos"
    readonly property int revealKey: revealIsAlt ? Qt.Key_Alt : Qt.Key_Control
    readonly property int revealModifier: revealIsAlt ? Qt.AltModifier : Qt.ControlModifier

    signal accepted()
    signal checkboxConfirmed()

    function acceptDialog() {
        root.close();
        root.accepted();
        if (neverShowBox.checked)
            root.checkboxConfirmed();
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

    onVisibleChanged: {
        if (visible)
            content.forceActiveFocus();
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
            event.accepted = false;
            if (event.key === root.revealKey || (event.modifiers & root.revealModifier))
                root.toggleNeverShowHeld = true;
            if (event.isAutoRepeat)
                return;
            if (event.key === Qt.Key_Escape || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
                if (okButton.enabled)
                    root.acceptDialog();
            }
        }
        Keys.onReleased: (event) => {
            event.accepted = false;
            if (event.isAutoRepeat)
                return;
            // The release of the reveal key may still carry its own modifier bit.
            root.toggleNeverShowHeld = event.key !== root.revealKey && (event.modifiers & root.revealModifier) !== 0;
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
                onLinkActivated: (link) => Qt.openUrlExternally(link)

                HoverHandler {
                    enabled: messageText.hoveredLink !== ""
                    cursorShape: Qt.PointingHandCursor
                }
            }

            CustomCheckbox {
                id: acknowledgeBox
                objectName: "acknowledgeBox"
                anchors.horizontalCenter: parent.horizontalCenter
                checkboxTextStr: root.okCheckboxString
                visible: root.acknowledgeCheckbox
            }

            CustomCheckbox {
                id: neverShowBox
                objectName: "neverShowBox"
                anchors.horizontalCenter: parent.horizontalCenter
                checkboxTextStr: "Do not show again"
                visible: root.showCheckbox || (root.makeNeverShowSecret && root.toggleNeverShowHeld)
            }

            FlatButton {
                id: okButton
                objectName: "okButton"
                anchors.horizontalCenter: parent.horizontalCenter
                text: "OK"
                isDefault: true
                enabled: !root.acknowledgeCheckbox || acknowledgeBox.checked
                onClicked: root.acceptDialog()
            }
        }
    }
}
