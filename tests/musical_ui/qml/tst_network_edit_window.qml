import QtQuick
import QtTest
import com.lanternhillstudios.musical_ui

// The destination window as the OSC settings window drives it: properties set, shown, then
// OK, Escape or its close button. What it asks for, and what it refuses with a note.
Item {
    id: stage
    width: 400
    height: 300

    Component {
        id: windowComponent
        NetworkEditWindow {
        }
    }

    Component {
        id: spyComponent
        SignalSpy {
        }
    }

    TestCase {
        name: "NetworkEditWindow"
        when: windowShown

        property var shown: []
        // Every signal of the window in the order it came.
        property var heard: []

        function cleanup() {
            // An application-modal window left showing would block the next test's input.
            for (const window of shown)
                window.visible = false;
            shown = [];
            heard = [];
        }

        function spyOn(target, signalName) {
            return createTemporaryObject(spyComponent, stage, { target: target, signalName: signalName });
        }

        // Opened as the OSC settings window opens it for a new destination or for a row.
        function open(props) {
            const window = createTemporaryObject(windowComponent, stage);
            verify(window);
            for (const name in props)
                window[name] = props[name];
            window.createRequest.connect((ip, port, mode, name) => heard.push(["create", ip, port, mode, name]));
            window.changeRequest.connect((ip, port, mode, name, id) => heard.push(["change", ip, port, mode, name, id]));
            window.toolClosing.connect(() => heard.push(["closing"]));
            shown.push(window);
            window.visible = true;
            waitForRendering(window.contentItem);
            tryVerify(() => findChild(window.contentItem, "nameField").field.activeFocus, 5000,
                      "the name takes the focus on opening");
            return window;
        }

        function newDestination() {
            return { networkName: "New Network Destination", ipAddress: "127.0.0.1", port: 8000, mode: "udp",
                     isEdit: false };
        }

        function field(window, name) {
            return findChild(window.contentItem, name);
        }

        function pressOk(window) {
            mouseClick(findChild(window.contentItem, "buttons").okButton);
        }

        function test_defaults() {
            const window = createTemporaryObject(windowComponent, stage);
            verify(!window.visible);
            verify(!window.isEdit);
            compare([window.networkName, window.ipAddress, window.port, window.mode, window.networkId],
                    ["Network", "127.0.0.1", 5501, "udp", ""]);
            compare(window.title, "Create Network Destination");
            window.isEdit = true;
            compare(window.title, "Edit Network Destination");
            compare(window.modality, Qt.ApplicationModal);
            compare(window.color, window.theme.default_bg_color);
            compare(field(window, "portField").text, "5501");
        }

        function test_create_request_with_the_values_set() {
            const window = open(newDestination());
            compare(field(window, "modeBox").displayText, "UDP");
            pressOk(window);
            compare(heard, [["create", "127.0.0.1", 8000, "udp", "New Network Destination"], ["closing"]],
                    "the request comes before the closing");
            verify(!window.visible);
        }

        function test_change_request_passes_the_mode_back() {
            const window = open({ networkName: "Sound desk", ipAddress: "192.168.1.20", port: 9000, mode: "tcp",
                                  networkId: "NETWORK1", isEdit: true });
            compare(field(window, "modeBox").displayText, "UDP", "the box offers UDP only");
            field(window, "nameField").field.selectAll();
            keyClick(Qt.Key_M);
            pressOk(window);
            compare(heard, [["change", "192.168.1.20", 9000, "tcp", "m", "NETWORK1"], ["closing"]]);
        }

        function test_port_text_data() {
            return [
                { tag: "fraction cut", text: "9000.7", port: 9000 },
                { tag: "blanks", text: " 9000 ", port: 9000 },
                { tag: "highest", text: "65535", port: 65535 },
                { tag: "lowest", text: "1", port: 1 },
            ];
        }

        function test_port_text(data) {
            const window = open(newDestination());
            field(window, "portField").text = data.text;
            pressOk(window);
            compare(heard[0], ["create", "127.0.0.1", data.port, "udp", "New Network Destination"]);
        }

        function test_refused_data() {
            return [
                { tag: "port letters", port: "abc", address: "127.0.0.1", note: "portNote", focus: "portField" },
                { tag: "port empty", port: "", address: "127.0.0.1", note: "portNote", focus: "portField" },
                { tag: "port 0", port: "0", address: "127.0.0.1", note: "portNote", focus: "portField" },
                { tag: "port 65536", port: "65536", address: "127.0.0.1", note: "portNote", focus: "portField" },
                { tag: "port far beyond", port: "4294967297", address: "127.0.0.1", note: "portNote",
                  focus: "portField" },
                { tag: "host name", port: "8000", address: "host.example", note: "addressNote", focus: "addressField" },
                { tag: "part above 255", port: "8000", address: "256.1.1.1", note: "addressNote",
                  focus: "addressField" },
                { tag: "three parts", port: "8000", address: "1.2.3", note: "addressNote", focus: "addressField" },
                { tag: "empty address", port: "8000", address: "", note: "addressNote", focus: "addressField" },
                { tag: "two gaps", port: "8000", address: "1::2::3", note: "addressNote", focus: "addressField" },
                { tag: "nine groups", port: "8000", address: "1:2:3:4:5:6:7:8:9", note: "addressNote",
                  focus: "addressField" },
            ];
        }

        function test_refused(data) {
            const window = open(newDestination());
            field(window, "portField").text = data.port;
            window.ipAddress = data.address;
            pressOk(window);
            compare(heard, [], "nothing is asked for");
            verify(window.visible, "the window stays open");
            const note = field(window, data.note);
            verify(note.visible);
            compare(note.text, data.note === "portNote" ? "Port must be a whole number from 1 to 65535."
                                                        : "Enter an IPv4 or IPv6 address.");
            verify(!field(window, data.note === "portNote" ? "addressNote" : "portNote").visible);
            tryVerify(() => field(window, data.focus).field.activeFocus, 5000, "the field to mend has the focus");

            // Mended, OK goes through and the notes go.
            field(window, "portField").text = "8000";
            window.ipAddress = "10.0.0.1";
            keyClick(Qt.Key_Return);
            compare(heard[0], ["create", "10.0.0.1", 8000, "udp", "New Network Destination"]);
            compare([window.portErrorText, window.addressErrorText], ["", ""]);
        }

        function test_addresses_accepted_data() {
            return [
                { tag: "IPv4", address: "192.168.1.20" },
                { tag: "IPv6 loopback", address: "::1" },
                { tag: "IPv6 full", address: "2001:db8:0:0:0:0:0:1" },
                { tag: "IPv6 with IPv4 tail", address: "::ffff:10.0.0.1" },
                { tag: "IPv6 with scope", address: "fe80::1%eth0" },
            ];
        }

        function test_addresses_accepted(data) {
            const window = open(newDestination());
            window.ipAddress = data.address;
            pressOk(window);
            compare(heard[0], ["create", data.address, 8000, "udp", "New Network Destination"]);
        }

        function test_escape_and_close_ask_for_nothing_data() {
            return [
                { tag: "Escape", close: window => keyClick(Qt.Key_Escape) },
                { tag: "title-bar close", close: window => window.close() },
                { tag: "Cancel", close: window => mouseClick(findChild(window.contentItem, "buttons").cancelButton) },
            ];
        }

        function test_escape_and_close_ask_for_nothing(data) {
            const window = open(newDestination());
            data.close(window);
            tryVerify(() => !window.visible);
            compare(heard, [["closing"]]);
        }

        function test_enter_on_the_mode_box_is_ok() {
            const window = open(newDestination());
            field(window, "modeBox").comboControl.forceActiveFocus();
            keyClick(Qt.Key_Enter);
            compare(heard[0][0], "create");
        }

        function test_reopening_shows_the_port_set_again() {
            const window = open(newDestination());
            field(window, "portField").text = "abc";
            keyClick(Qt.Key_Escape);
            tryVerify(() => !window.visible);
            window.port = 8000; // the same value again
            window.visible = true;
            tryCompare(field(window, "portField"), "text", "8000");
            verify(!field(window, "portNote").visible);
        }
    }
}
