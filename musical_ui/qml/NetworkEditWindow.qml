import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui

// One OSC destination as the operator types it: name, address, port and mode. The opener sets
// the properties and shows the window; OK reports a create or a change request, by `isEdit`,
// and closes. OK refuses a port outside 1 to 65535 and an address that is not an IPv4 or IPv6
// address (the cue sender could never reach it): a note under the row says why and the window
// stays open. Names are not checked. The mode is passed back as it was set: the box offers UDP
// only.
Window {
    id: root

    property bool isEdit: false
    property alias networkName: nameField.text
    property alias ipAddress: addressField.text
    property int port: 5501
    property string mode: "udp"
    property string networkId: ""
    // Notes under the port and address rows after a refused OK; empty hides them.
    property string portErrorText: ""
    property string addressErrorText: ""
    readonly property alias theme: theme

    signal changeRequest(string ip, int port, string mode, string networkName, string networkId)
    signal createRequest(string ip, int port, string mode, string name)
    signal toolClosing()

    // The port as a number: what the script engine reads in the text, cut to a whole number;
    // no number at all is 0.
    function portOf(text) {
        const value = Number(text);
        return isFinite(value) ? Math.trunc(value) : 0;
    }

    function isIpv4(text) {
        const parts = text.split(".");
        if (parts.length !== 4)
            return false;
        for (const part of parts) {
            if (!/^(0|[1-9][0-9]{0,2})$/.test(part) || Number(part) > 255)
                return false;
        }
        return true;
    }

    function isIpv6(text) {
        let address = text;
        const zone = address.indexOf("%");
        if (zone !== -1) {
            if (zone === address.length - 1 || /\s/.test(address.substring(zone + 1)))
                return false;
            address = address.substring(0, zone);
        }
        if (address.indexOf(":") === -1)
            return false;
        // An IPv4 tail stands for the last two groups.
        let tailGroups = 0;
        const lastColon = address.lastIndexOf(":");
        const tail = address.substring(lastColon + 1);
        if (tail.indexOf(".") !== -1) {
            if (!root.isIpv4(tail))
                return false;
            address = address.substring(0, lastColon + 1) + "0";
            tailGroups = 1;
        }
        const halves = address.split("::");
        if (halves.length > 2)
            return false;
        const groupsOf = half => half === "" ? [] : half.split(":");
        let count = 0;
        for (const half of halves) {
            for (const group of groupsOf(half)) {
                if (!/^[0-9A-Fa-f]{1,4}$/.test(group))
                    return false;
                ++count;
            }
        }
        count += tailGroups;
        return halves.length === 2 ? count <= 7 : count === 8;
    }

    function isIpAddress(text) {
        const trimmed = text.trim();
        return root.isIpv4(trimmed) || root.isIpv6(trimmed);
    }

    function accept() {
        const port = root.portOf(portField.text);
        root.portErrorText = port >= 1 && port <= 65535 ? "" : qsTr("Port must be a whole number from 1 to 65535.");
        root.addressErrorText = root.isIpAddress(addressField.text) ? "" : qsTr("Enter an IPv4 or IPv6 address.");
        if (root.addressErrorText !== "") {
            addressField.forceActiveFocus();
            return;
        }
        if (root.portErrorText !== "") {
            portField.forceActiveFocus();
            return;
        }
        if (root.isEdit)
            root.changeRequest(addressField.text, port, root.mode, root.networkName, root.networkId);
        else
            root.createRequest(addressField.text, port, root.mode, root.networkName);
        root.close();
    }

    width: column.implicitWidth + 2 * column.anchors.margins
    height: column.implicitHeight + 2 * column.anchors.margins
    title: root.isEdit ? qsTr("Edit Network Destination") : qsTr("Create Network Destination")
    modality: Qt.ApplicationModal
    flags: Qt.CustomizeWindowHint | Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: theme.default_bg_color

    onClosing: root.toolClosing()
    onPortChanged: portField.text = String(root.port)
    onVisibleChanged: {
        if (!visible)
            return;
        root.portErrorText = "";
        root.addressErrorText = "";
        // A port set again to the value it had raises no change: the field takes `port` afresh
        // on every opening, so what was typed last time is gone.
        portField.text = String(root.port);
        nameField.forceActiveFocus();
    }

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        id: column
        objectName: "column"
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.margins: 16
        spacing: 16
        focus: true

        Keys.onReturnPressed: root.accept()
        Keys.onEnterPressed: root.accept()
        Keys.onEscapePressed: root.close()

        RowLayout {
            spacing: 16
            Text {
                text: qsTr("Display Name")
                color: theme.default_text_color
                font: theme.default_font
            }
            RecessedTextInput {
                id: nameField
                objectName: "nameField"
                Layout.preferredWidth: 200
                text: "Network"
            }
        }

        ColumnLayout {
            spacing: 4
            RowLayout {
                spacing: 16
                Text {
                    text: qsTr("Destination IP Address")
                    color: theme.default_text_color
                    font: theme.default_font
                }
                RecessedTextInput {
                    id: addressField
                    objectName: "addressField"
                    Layout.preferredWidth: 125
                    text: "127.0.0.1"
                }
            }
            Text {
                objectName: "addressNote"
                visible: root.addressErrorText !== ""
                text: root.addressErrorText
                color: theme.light_text_color
                font: theme.small_font
            }
        }

        ColumnLayout {
            spacing: 4
            RowLayout {
                spacing: 16
                Text {
                    text: qsTr("Port")
                    color: theme.default_text_color
                    font: theme.default_font
                }
                RecessedTextInput {
                    id: portField
                    objectName: "portField"
                    Layout.preferredWidth: 60
                    text: String(root.port)
                }
            }
            Text {
                objectName: "portNote"
                visible: root.portErrorText !== ""
                text: root.portErrorText
                color: theme.light_text_color
                font: theme.small_font
            }
        }

        RowLayout {
            spacing: 16
            Text {
                text: qsTr("Mode")
                color: theme.default_text_color
                font: theme.default_font
            }
            CustomComboBox {
                id: modeBox
                objectName: "modeBox"
                Layout.preferredWidth: 100
                textRole: "text"
                valueRole: "value"
                model: [{ text: "UDP", value: "udp" }]
                onEnterPressed: root.accept()
            }
        }

        StandardEditButtons {
            id: buttons
            objectName: "buttons"
            Layout.alignment: Qt.AlignRight
            onOkayClicked: root.accept()
            onCancelClicked: root.close()
        }
    }
}
