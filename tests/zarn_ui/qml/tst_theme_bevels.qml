import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 400
    height: 300

    ZarnTheme {
        id: theme
    }

    Item {
        id: bevelStage
        width: 200
        height: 120

        Rectangle {
            id: raisedRect
            x: 5
            y: 5
            width: 100
            height: 30
            color: "#202020"

            BasicBevel {
                id: raised
            }
        }
        Rectangle {
            id: sunkRect
            x: 20
            y: 60
            width: 50
            height: 20
            color: "#202020"

            RecessedBevel {
                id: sunk
            }
        }
        Rectangle {
            id: customRect
            x: 120
            y: 5
            width: 40
            height: 20
            color: "#2a2a2a"

            CustomBevel {
                id: custom
            }
        }
    }

    Rectangle {
        id: focusHost
        x: 250
        y: 10
        width: 40
        height: 20
        color: "black"

        FocusHighlight {
            id: highlight
            anchors.fill: parent
        }
    }

    FlatButton {
        id: tipButton
        x: 250
        y: 100
        text: "Tip"
    }

    TestCase {
        name: "ThemeAndBevels"
        when: windowShown

        function hex(c) {
            return Qt.color(c).toString();
        }

        // Derived shades: Qt's conversion back to 8 bits may round one step apart from
        // the values worked out by hand, so a channel may differ by one.
        function compareShade(actual, expected, message) {
            const a = Qt.color(actual), e = Qt.color(expected);
            const ok = [[a.r, e.r], [a.g, e.g], [a.b, e.b]].every(p => Math.abs(Math.round(p[0] * 255) - Math.round(p[1] * 255)) <= 1);
            verify(ok, (message ? message + ": " : "") + hex(actual) + " is not " + expected);
        }

        function init() {
            raisedRect.color = "#202020";
            sunkRect.color = "#202020";
            for (const b of [raised, sunk]) {
                b.hide_left = false;
                b.hide_top = false;
                b.hide_bottom = false;
                b.bevel_width = 1;
            }
            tipButton.toolTip.text = "";
            mouseMove(stage, 390, 290);
        }

        function test_palette_data() {
            return [
                { tag: "default_text_color", value: "#a4a4a4" },
                { tag: "dim_text_color", value: "#7e7e7e" },
                { tag: "default_text_header_color", value: "#808080" },
                { tag: "light_text_color", value: "#e8e8e8" },
                { tag: "tab_selected_text_color", value: "#ffffff" },
                { tag: "default_bg_color", value: "#202020" },
                { tag: "default_bg_color_popup", value: "#262626" },
                { tag: "lighter_bg_color_popup", value: "#2e2e2e" },
                { tag: "default_bg_unselected_color", value: "#191919" },
                { tag: "default_bg_hover_color", value: "#2a2a2a" },
                { tag: "light_background_color", value: "#1b1b1b" },
                { tag: "dark_background_color", value: "#1b1b1b" },
                { tag: "light_border_color", value: "#3c3c3c" },
                { tag: "default_selected_color", value: "#363636" },
                { tag: "default_selected_color_intense", value: "#0f4259" },
                { tag: "default_selected_color_intense_opaque", value: "#26a5de" },
                { tag: "bevel_dark_color", value: "#191919" },
                { tag: "bevel_light_color", value: "#3c3c3c" },
                { tag: "checkbox_color", value: "#1e7c46" },
                { tag: "on_indicator_color", value: "#7cfc00" },
                { tag: "off_indicator_color", value: "#696969" },
            ];
        }

        function test_palette(data) {
            compare(hex(theme[data.tag]), data.value);
            compare(theme[data.tag].a, 1.0, "every colour is opaque");
        }

        function test_fonts() {
            compare(theme.default_font.pixelSize, 14);
            compare(theme.small_font.pixelSize, 11);
            compare(theme.heavy_label.pixelSize, 14);
            compare(theme.heavy_label.bold, true);
            compare(theme.default_font.bold, false);
            compare(theme.bevel_width, 1);
            compare(Qt.application.font.family, theme.default_font.family);
        }

        // Parent colours the library uses, with the bevel shades they must give.
        function test_default_bevel_colours_data() {
            return [
                { tag: "#202020", dark: "#1d1d1d", light: "#2a2a2a" },
                { tag: "#2a2a2a", dark: "#262626", light: "#373737" },
                { tag: "#2b2b2b", dark: "#272727", light: "#383838" },
                { tag: "#191919", dark: "#171717", light: "#212121" },
                { tag: "#1b1b1b", dark: "#181818", light: "#232323" },
                { tag: "#161616", dark: "#141414", light: "#1d1d1d" },
                { tag: "#232323", dark: "#202020", light: "#2e2e2e" },
                { tag: "#292929", dark: "#252525", light: "#353535" },
                { tag: "#282828", dark: "#242424", light: "#343434" },
            ];
        }

        function test_default_bevel_colours(data) {
            raisedRect.color = data.tag;
            compareShade(raised.bevel_dark_color, data.dark);
            compareShade(raised.bevel_light_color, data.light);
        }

        function test_basic_bevel_pixels() {
            const img = grabImage(bevelStage);
            // Rectangle at (5, 5), 100 x 30.
            compare(hex(img.pixel(5 + 0, 5 + 15)), "#2a2a2a", "left line, inside");
            compare(hex(img.pixel(5 + 50, 5 + 0)), "#2a2a2a", "top line, inside");
            compare(hex(img.pixel(5 + 99, 5 + 15)), "#1d1d1d", "right line, inside");
            compare(hex(img.pixel(5 + 50, 5 + 30)), "#1d1d1d", "bottom line, one pixel below");
            compare(hex(img.pixel(5 + 50, 5 + 15)), "#202020", "inside untouched");
            compare(hex(img.pixel(5 + 50, 5 + 29)), "#202020", "no line on the last row inside");
        }

        function test_recessed_bevel_pixels() {
            const img = grabImage(bevelStage);
            // Rectangle at (20, 60), 50 x 20.
            compare(hex(img.pixel(20 - 1, 60 + 10)), "#1d1d1d", "dark vertical at x -1");
            compare(hex(img.pixel(20 + 50, 60 + 10)), "#2a2a2a", "light vertical at x 50");
            compare(hex(img.pixel(20 + 25, 60 + 20)), "#2a2a2a", "light horizontal at y 20");
            compare(hex(img.pixel(20 + 25, 60 + 0)), "#1d1d1d", "dark horizontal at y 0");
            compare(hex(img.pixel(20 + 0, 60 + 10)), "#202020", "left column inside untouched");
            compare(hex(img.pixel(20 + 49, 60 + 10)), "#202020", "right column inside untouched");
        }

        function test_custom_bevel_is_the_basic_bevel() {
            const img = grabImage(bevelStage);
            compare(hex(img.pixel(120, 15)), "#373737");
            compare(hex(img.pixel(159, 15)), "#262626");
            compare(hex(img.pixel(140, 25)), "#262626");
        }

        function test_hide_bottom_keeps_left_top_and_right() {
            raised.hide_bottom = true;
            const img = grabImage(bevelStage);
            compare(hex(img.pixel(5, 20)), "#2a2a2a");
            compare(hex(img.pixel(55, 5)), "#2a2a2a");
            compare(hex(img.pixel(104, 20)), "#1d1d1d");
            verify(hex(img.pixel(55, 35)) !== "#1d1d1d", "bottom line hidden");
        }

        function test_hide_flags_on_recessed_keep_the_raised_names() {
            sunk.hide_left = true;   // the right-hand light line
            sunk.hide_top = true;    // the bottom light line
            sunk.hide_bottom = true; // the top dark line
            const img = grabImage(bevelStage);
            verify(hex(img.pixel(70, 70)) !== "#2a2a2a");
            verify(hex(img.pixel(45, 80)) !== "#2a2a2a");
            compare(hex(img.pixel(45, 60)), "#202020");
            compare(hex(img.pixel(19, 70)), "#1d1d1d", "the left dark line has no flag");
        }

        function test_bevel_width_thickens_only_one_line() {
            raised.bevel_width = 3;
            sunk.bevel_width = 3;
            const img = grabImage(bevelStage);
            for (const y of [35, 36, 37])
                compare(hex(img.pixel(55, y)), "#1d1d1d", "raised bottom row " + y);
            compare(hex(img.pixel(6, 20)), "#202020", "raised left line stays 1 px");
            compare(hex(img.pixel(55, 6)), "#202020", "raised top line stays 1 px");
            for (const y of [60, 61, 62])
                compare(hex(img.pixel(45, y)), "#1d1d1d", "recessed top row " + y);
            compare(hex(img.pixel(45, 63)), "#202020");
            compare(hex(img.pixel(45, 81)) !== "#2a2a2a", true, "recessed bottom line stays 1 px");
        }

        function test_colours_follow_the_parent() {
            raisedRect.color = "#2a2a2a";
            compare(hex(raised.bevel_dark_color), "#262626");
            compare(hex(raised.bevel_light_color), "#373737");
            const img = grabImage(bevelStage);
            compare(hex(img.pixel(5, 20)), "#373737");
            compare(hex(img.pixel(104, 20)), "#262626");
        }

        function test_focus_highlight() {
            const img = grabImage(focusHost);
            // #0f4259 at 0.7 over black.
            const c = img.pixel(20, 10);
            fuzzyCompare(c.r * 255, 0x0f * 0.7, 1.5);
            fuzzyCompare(c.g * 255, 0x42 * 0.7, 1.5);
            fuzzyCompare(c.b * 255, 0x59 * 0.7, 1.5);
        }

        function test_tool_tip_look() {
            const tip = tipButton.toolTip;
            compare(hex(tip.background.color), "#2e2e2e");
            compare(hex(tip.background.border.color), "#3c3c3c");
            compare(tip.background.border.width, 1);
            compare(hex(tip.contentItem.color), "#e8e8e8");
            compare(tip.contentItem.font.pixelSize, 14);
            compare(tip.delay, 500);
        }

        function test_tool_tip_shows_after_500_ms_with_text() {
            tipButton.toolTip.text = "Opens the list";
            mouseMove(tipButton, 5, 5);
            verify(tipButton.hovered);
            wait(250);
            verify(!tipButton.toolTip.opened, "not before the delay");
            tryVerify(() => tipButton.toolTip.opened, 1000);
            // The text is laid out only while shown, and the tip is sized for it then.
            compare(tipButton.toolTip.contentItem.text, "Opens the list");
            tryVerify(() => tipButton.toolTip.width >= tipButton.toolTip.contentItem.implicitWidth
                      && tipButton.toolTip.contentItem.implicitWidth > 0);
            mouseMove(stage, 390, 290);
            tryVerify(() => !tipButton.toolTip.visible, 1000);
        }

        function test_tool_tip_without_text_never_shows() {
            mouseMove(tipButton, 5, 5);
            verify(tipButton.hovered);
            wait(900);
            verify(!tipButton.toolTip.visible);
            verify(!tipButton.toolTip.opened);
        }
    }
}
