import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import QtQuick.Layouts

// The application's menu: the main menu with its sub-menus and the text field's context menu.
// Entries are actions, nested ZarnCustomMenus and ZarnCustomMenuSeparators.
Menu {
    id: menu

    // A property, not a child: every item declared inside a menu becomes one of its entries.
    readonly property ZarnTheme theme: ZarnTheme {
    }
    property string backgroundColor: theme.lighter_bg_color_popup

    // The platform name defaults to the running one; a test may pass another.
    function formatShortCutAsNativeString(shortcut, os) {
        if (shortcut === undefined || shortcut === null || shortcut === "")
            return "";
        const text = String(shortcut);
        const platform = String(os === undefined ? Qt.platform.os : os).toLowerCase();
        const swap = (s, from, to) => s.split(from).join(to);
        if (platform === "osx") {
            let s = text.toUpperCase();
            s = swap(s, "CMD", "\u2318");
            s = swap(s, "CTRL", "^");
            s = swap(s, "SHIFT", "\u21E7");
            s = swap(s, "BACKSPACE", "\u232B");
            s = swap(s, "ALT", "\u2325");
            s = swap(s, "+", "");
            s = swap(s, " ", "Space");
            s = swap(s, "RIGHT", "\u25B6");
            return s;
        }
        // Every other platform Qt can report reads its keys as Windows does.
        if (menu.windowsStylePlatforms.indexOf(platform) !== -1) {
            let s = text.toUpperCase();
            s = swap(s, "CMD", "INVALID");
            s = swap(s, "CTRL", "Ctrl");
            s = swap(s, "SHIFT", "Shift");
            s = swap(s, "ALT", "Alt");
            s = swap(s, "BACKSPACE", "Backspace");
            s = swap(s, " ", "Space");
            s = swap(s, "RIGHT", "Right Arrow");
            return s;
        }
        if (!menu.unknownPlatformLogged) {
            menu.unknownPlatformLogged = true;
            console.log("Unknown Platform for Shortcut Translation", text);
        }
        return text;
    }

    readonly property var windowsStylePlatforms: ["windows", "linux", "unix", "android", "ios", "tvos", "qnx", "wasm"]
    property bool unknownPlatformLogged: false

    delegate: MenuItem {
        id: item

        implicitHeight: 40

        readonly property string shortcutText: (item.action && item.action.shortcut !== undefined)
                                               ? menu.formatShortCutAsNativeString(item.action.shortcut) : ""

        arrow: Canvas {
            x: item.width - width
            width: 40
            height: 40
            visible: item.subMenu !== null
            readonly property color fillColor: item.highlighted ? "#ffffff" : "#AAAAAA"
            onFillColorChanged: requestPaint()
            onPaint: {
                const ctx = getContext("2d");
                ctx.reset();
                ctx.fillStyle = fillColor;
                ctx.beginPath();
                ctx.moveTo(15, 15);
                ctx.lineTo(width - 15, height / 2);
                ctx.lineTo(15, height - 15);
                ctx.closePath();
                ctx.fill();
            }
        }

        contentItem: RowLayout {
            spacing: 0

            Text {
                Layout.fillWidth: true
                Layout.fillHeight: true
                text: item.text
                font.pixelSize: menu.theme.default_font.pixelSize
                color: item.enabled ? menu.theme.light_text_color : Qt.darker(menu.theme.light_text_color, 2.5)
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
            Text {
                Layout.fillHeight: true
                text: item.shortcutText
                font.pixelSize: 14
                color: Qt.darker(menu.theme.light_text_color, 2.5)
                verticalAlignment: Text.AlignVCenter
                visible: item.subMenu === null
            }
            Item {
                Layout.preferredWidth: 10
            }
        }

        background: Rectangle {
            implicitHeight: 40
            color: item.highlighted ? menu.theme.default_selected_color : menu.backgroundColor
        }
    }
}
