import QtQuick
import QtTest
import Qt.labs.settings 1.0
import com.lanternhillstudios.zarn_ui

// The packager window with its real controller: the result popup's headline and size, OK,
// the Show page's Tab cycle and the fields kept across two runs (the settings store lies in a
// temporary folder, see sfx_quick_test_main.cpp).
Item {
    id: stage
    width: 300
    height: 200

    Component {
        id: windowComponent
        PackagerWindow {
        }
    }

    Settings {
        id: probe
        category: "show"
    }

    TestCase {
        name: "PackagerWindow"
        when: windowShown

        property var window: null

        function cleanup() {
            if (window)
                window.visible = false;
            window = null;
        }

        function open() {
            const win = createTemporaryObject(windowComponent, stage);
            verify(win);
            window = win;
            tryVerify(() => win.active, 5000);
            waitForRendering(win.contentItem);
            return win;
        }

        function item(win, name) {
            return findChild(win.contentItem, name);
        }

        function test_title_and_first_focus() {
            const win = open();
            verify(win.title.startsWith("ZARN Show Packager "));
            verify(win.title.length > "ZARN Show Packager ".length);
            tryVerify(() => item(win, "showNameInput").field.activeFocus);
            compare(win.tabBar.currentIndex, 0);
        }

        function test_result_popup_data() {
            return [
                { tag: "an error", body: "Error: the source directory /x does not exist.", headline: "Problems Encountered", w: 640, h: 480, panel: true },
                { tag: "a warning", body: "Packed A into /r: 3 files, 0.1 MB, score of 0 pages.\nWarning: no image directory", headline: "Problems Encountered", w: 640, h: 480, panel: true },
                { tag: "warning in small letters", body: "Packed, no warning given", headline: "Packaging Complete", w: 640, h: 480, panel: true },
                { tag: "no text", body: "", headline: "Packaging Complete", w: 400, h: 100, panel: false }
            ];
        }
        function test_result_popup(data) {
            const win = open();
            const popup = win.resultPopup;
            win.controller.messageBody = data.body;
            win.controller.message = true;
            tryVerify(() => popup.opened, 3000);
            compare(findChild(popup.contentItem, "headline").text, data.headline);
            compare([popup.width, popup.height], [data.w, data.h]);
            compare(findChild(popup.contentItem, "detailPanel").visible, data.panel);
            compare(findChild(popup.contentItem, "copyButton").visible, data.panel);
            // OK resets the controller, so the next result opens the popup again.
            mouseClick(findChild(popup.contentItem, "okButton"));
            tryVerify(() => !popup.visible, 3000);
            compare(win.controller.message, false);
            compare(win.controller.messageBody, "");
            win.controller.messageBody = "Error: again";
            win.controller.message = true;
            tryVerify(() => popup.opened, 3000);
            compare(findChild(popup.contentItem, "headline").text, "Problems Encountered");
        }

        // 80 wide, but never narrower than its label.
        function test_package_sfx_button_shows_its_whole_label() {
            const win = open();
            win.tabBar.currentIndex = 1;
            const button = item(win, "packageSfxButton");
            tryVerify(() => button.width > 0);
            verify(button.width >= 80);
            verify(button.width >= button.implicitWidth, button.width + " < " + button.implicitWidth);
        }

        function test_a_false_message_does_nothing() {
            const win = open();
            win.controller.messageBody = "Error: x";
            win.controller.message = false;
            verify(!win.resultPopup.visible);
        }

        function test_tab_cycle_data() {
            return [
                { tag: "Tab from the switch to the name", from: "switch", key: Qt.Key_Tab, to: "name" },
                { tag: "Shift+Tab from the name to the switch", from: "name", key: Qt.Key_Backtab, to: "switch" },
                { tag: "Shift+Tab from Package to the sound-effects Choose", from: "package", key: Qt.Key_Backtab, to: "sfxChoose" },
                { tag: "Tab from the sound-effects Choose to Package", from: "sfxChoose", key: Qt.Key_Tab, to: "package" },
                { tag: "Tab from the name to the source field", from: "name", key: Qt.Key_Tab, to: "sourceField" },
                { tag: "Tab from the source field to its Choose", from: "sourceField", key: Qt.Key_Tab, to: "sourceChoose" }
            ];
        }
        function test_tab_cycle(data) {
            const win = open();
            const targets = {
                name: item(win, "showNameInput").field,
                sourceField: item(win, "sourceInput").field,
                sourceChoose: item(win, "sourceInput").button,
                sfxChoose: item(win, "soundEffectsInput").button,
                package: win.packageControl.button,
                switch: win.packageControl.toggle
            };
            targets[data.from].forceActiveFocus();
            verify(targets[data.from].activeFocus);
            keyClick(data.key, data.key === Qt.Key_Backtab ? Qt.ShiftModifier : Qt.NoModifier);
            verify(targets[data.to].activeFocus, data.to + " has the focus");
        }

        function test_switch_scale_and_return() {
            const win = open();
            const toggle = win.packageControl.toggle;
            compare(toggle.scale, 0.65);
            const before = win.advancedFeatures;
            toggle.forceActiveFocus();
            compare(toggle.scale, 0.75);
            keyClick(Qt.Key_Return);
            compare(win.advancedFeatures, !before);
            compare(win.controller.advancedFeatures, !before);
        }

        function test_fields_persist_across_two_runs() {
            const first = windowComponent.createObject(stage);
            verify(first);
            first.showName = "Lanterns";
            first.sourceDirectory = "/shows/lanterns";
            first.destinationDirectory = "/srv/roots";
            first.imageDirectory = "/shows/pages";
            first.soundEffectsDirectory = "/shows/sfx";
            first.advancedFeatures = true;
            first.sfxSourceDirectory = "/sfx/in";
            first.sfxDestinationDirectory = "/sfx/out";
            first.width = 700;
            first.height = 600;
            compare(first.controller.name, "Lanterns");
            first.destroy();
            tryVerify(() => probe.value("showName", "") === "Lanterns", 5000, "the fields were written");

            const second = open();
            compare(second.showName, "Lanterns");
            compare(second.sourceDirectory, "/shows/lanterns");
            compare(second.destinationDirectory, "/srv/roots");
            compare(second.imageDirectory, "/shows/pages");
            compare(second.soundEffectsDirectory, "/shows/sfx");
            verify(second.advancedFeatures);
            compare(second.sfxSourceDirectory, "/sfx/in");
            compare(second.sfxDestinationDirectory, "/sfx/out");
            compare([second.width, second.height], [700, 600]);
            // The controller follows the restored fields.
            compare(second.controller.sourceDirectory, "/shows/lanterns");
        }
    }
}
