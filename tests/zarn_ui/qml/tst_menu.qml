import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 600
    height: 500

    // ZarnMenuItem reads the screen's theme.
    ZarnTheme {
        id: theme
    }

    ZarnCustomMenu {
        id: menu

        Action {
            id: saveAction
            text: "Save"
            shortcut: "Ctrl+S"
        }
        Action {
            text: "Share"
            enabled: false
        }
        ZarnCustomMenuSeparator {
            id: separator
        }
        ZarnCustomMenu {
            id: subMenu
            title: "Recent"

            Action {
                text: "Nothing"
            }
        }
        ZarnMenuItem {
            id: plainItem
            menuText: "Plain"
        }
    }

    TestCase {
        name: "Menu"
        when: windowShown

        function hex(c) {
            return Qt.color(c).toString();
        }

        // Text items of a menu entry, in order: caption, shortcut.
        function texts(item) {
            const row = item.contentItem;
            return [row.children[0], row.children[1]];
        }

        function init() {
            menu.popup(stage, 10, 10);
            tryVerify(() => menu.opened);
        }

        function cleanup() {
            subMenu.close();
            menu.close();
            tryVerify(() => !menu.visible);
        }

        function test_shortcut_text_data() {
            return [
                { tag: "windows Ctrl+S", os: "windows", input: "Ctrl+S", output: "Ctrl+S" },
                { tag: "windows Ctrl+shift+z", os: "windows", input: "Ctrl+shift+z", output: "Ctrl+Shift+Z" },
                { tag: "windows backspace", os: "windows", input: "backspace", output: "Backspace" },
                { tag: "windows space", os: "windows", input: " ", output: "Space" },
                { tag: "windows Shift+space", os: "windows", input: "Shift+ ", output: "Shift+Space" },
                { tag: "windows Right", os: "windows", input: "Right", output: "Right Arrow" },
                { tag: "windows Shift+Ctrl+G", os: "windows", input: "Shift+Ctrl+G", output: "Shift+Ctrl+G" },
                { tag: "windows Shift+comma", os: "windows", input: "Shift+,", output: "Shift+," },
                { tag: "windows Alt+F4", os: "windows", input: "Alt+F4", output: "Alt+F4" },
                { tag: "windows Cmd+Q", os: "windows", input: "Cmd+Q", output: "INVALID+Q" },
                { tag: "windows empty", os: "windows", input: "", output: "" },
                { tag: "linux as windows", os: "linux", input: "Ctrl+shift+z", output: "Ctrl+Shift+Z" },
                { tag: "unix as windows", os: "unix", input: "alt+right", output: "Alt+Right Arrow" },
                { tag: "osx Ctrl+shift+z", os: "osx", input: "Ctrl+shift+z", output: "^\u21E7Z" },
                { tag: "osx Cmd+backspace", os: "osx", input: "Cmd+backspace", output: "\u2318\u232B" },
                { tag: "osx Alt+space", os: "osx", input: "Alt+ ", output: "\u2325Space" },
                { tag: "osx Right", os: "osx", input: "Right", output: "\u25B6" },
                { tag: "osx empty", os: "osx", input: "", output: "" },
                { tag: "unknown unchanged", os: "plan9", input: "Ctrl+shift+z", output: "Ctrl+shift+z" },
                { tag: "unknown empty", os: "plan9", input: "", output: "" },
            ];
        }

        function test_shortcut_text(data) {
            compare(menu.formatShortCutAsNativeString(data.input, data.os), data.output);
        }

        function test_unknown_platform_logs_once() {

            const fresh = createTemporaryObject(Qt.createComponent("qrc:/qt/qml/com/lanternhillstudios/zarn_ui/qml/ZarnCustomMenu.qml"), stage);
            verify(!fresh.unknownPlatformLogged);
            fresh.formatShortCutAsNativeString("Ctrl+A", "plan9");
            verify(fresh.unknownPlatformLogged);
            fresh.formatShortCutAsNativeString("Ctrl+B", "plan9");
            verify(fresh.unknownPlatformLogged);
            fresh.formatShortCutAsNativeString("Ctrl+B", "windows");
        }

        function test_running_platform_formats_the_item_shortcut() {
            const save = menu.itemAt(0);
            compare(texts(save)[1].text, "Ctrl+S");
            verify(texts(save)[1].visible);
        }

        function test_item_looks() {
            const save = menu.itemAt(0), share = menu.itemAt(1);
            compare(save.height, 40);
            compare(hex(texts(save)[0].color), "#e8e8e8");
            compare(texts(save)[0].font.pixelSize, 14);
            compare(hex(texts(share)[0].color), "#5d5d5d", "disabled");
            compare(hex(texts(save)[1].color), "#5d5d5d");
            compare(hex(save.background.color), "#2e2e2e");
            mouseMove(save, 20, 20);
            tryVerify(() => save.highlighted);
            compare(hex(save.background.color), "#363636");
            verify(!save.arrow.visible);
        }

        function test_background_colour_property() {
            menu.backgroundColor = "#123456";
            compare(hex(menu.itemAt(0).background.color), "#123456");
            menu.backgroundColor = menu.theme.lighter_bg_color_popup;
        }

        function test_sub_menu_entry() {
            const recent = menu.itemAt(3);
            compare(recent.text, "Recent");
            verify(recent.subMenu !== null);
            verify(recent.arrow.visible);
            compare(recent.arrow.width, 40);
            compare(recent.arrow.x, recent.width - 40);
            verify(!texts(recent)[1].visible, "no shortcut on a sub-menu entry");
            compare(hex(recent.arrow.fillColor), "#aaaaaa");
            mouseMove(recent, 20, 20);
            tryVerify(() => recent.highlighted);
            compare(hex(recent.arrow.fillColor), "#ffffff");
        }

        function test_separator() {
            compare(separator.contentItem.implicitHeight, 1);
            compare(hex(separator.contentItem.color), "#3c3c3c");
            compare(separator.background.implicitHeight, 8);
            compare(hex(separator.background.color), "#2e2e2e");
        }

        function test_plain_menu_item() {
            compare(plainItem.menuText, "Plain");
            const cover = findChild(plainItem, "cover");
            compare(hex(cover.color), "#1d1d1d");
            compare(cover.width, plainItem.width);
            compare(cover.height, plainItem.height);
            const label = findChild(plainItem, "label");
            compare(label.text, "Plain");
            compare(hex(label.color), "#ffffff");
            compare(label.leftPadding, 10);
            compare(label.topPadding, 10);
            compare(label.font.pixelSize, 14);
        }
    }
}
