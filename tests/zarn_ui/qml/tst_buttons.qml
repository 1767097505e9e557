import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 600
    height: 400

    FlatButton {
        id: flat
        x: 10
        y: 10
        text: "OK"
    }

    FlatButton {
        id: before
        x: 10
        y: 60
        text: "Before"
    }

    BubbleButton {
        id: bubble
        x: 100
        y: 60
        imageSource: "qrc:/images/play.svg"
    }

    GraphicButton {
        id: graphic
        x: 200
        y: 60
        text: "Marker"
        imageSource: "qrc:/images/edit_marker.svg"
    }

    BubbleButtonBar {
        id: bar
        x: 300
        y: 60

        BubbleButton {
            id: barFirst
        }
        BubbleButton {
            id: barSecond
        }
    }

    SignalSpy {
        id: bubbleClicked
        target: bubble
        signalName: "clicked"
    }

    SignalSpy {
        id: graphicClicked
        target: graphic
        signalName: "clicked"
    }

    TestCase {
        name: "Buttons"
        when: windowShown

        function hex(c) {
            return Qt.color(c).toString();
        }

        // Qt's conversion back to 8 bits may round a derived shade one step apart from the
        // value worked out by hand.
        function compareShade(actual, expected, message) {
            const a = Qt.color(actual), e = Qt.color(expected);
            const ok = [[a.r, e.r], [a.g, e.g], [a.b, e.b]].every(p => Math.abs(Math.round(p[0] * 255) - Math.round(p[1] * 255)) <= 1);
            verify(ok, (message ? message + ": " : "") + hex(actual) + " is not " + expected);
        }

        function park() {
            mouseMove(stage, 590, 390);
        }

        function init() {
            park();
            flat.isDefault = false;
            flat.isCancel = false;
            flat.highVisMode = false;
            flat.enabled = true;
            flat.focus = false;
            bubble.enabled = true;
            bubble.toggled = false;
            bubble.colorToggledOn = false;
            bubble.radiant = false;
            bubble.showDownChevron = false;
            bubble.toggledOnImageSource = undefined;
            bubble.focus = false;
            graphic.enabled = true;
            graphic.showImage = true;
            graphic.imageSource = "qrc:/images/edit_marker.svg";
            bubbleClicked.clear();
            graphicClicked.clear();
            stage.forceActiveFocus();
        }

        function test_flat_colours_by_kind_data() {
            return [
                { tag: "default", isDefault: true, isCancel: false, normal: "#26a5de", hover: "#42c4ff", active: "#186a8e" },
                { tag: "default and cancel", isDefault: true, isCancel: true, normal: "#26a5de", hover: "#42c4ff", active: "#186a8e" },
                { tag: "cancel", isDefault: false, isCancel: true, normal: "#de2926", hover: "#ff4542", active: "#8e1a18" },
                { tag: "neither", isDefault: false, isCancel: false, normal: "#525252", hover: "#676767", active: "#353535" },
            ];
        }

        function test_flat_colours_by_kind(data) {
            flat.isDefault = data.isDefault;
            flat.isCancel = data.isCancel;
            compare(hex(flat.normalColor), data.normal);
            compareShade(flat.hoverColor, data.hover, "hover");
            compareShade(flat.activeColor, data.active, "active");
            compare(hex(flat.background.color), data.normal, "idle");
            compare(flat.background.radius, 3);

            mouseMove(flat, 5, 5);
            tryVerify(() => flat.hovered);
            compare(hex(flat.background.color), hex(flat.hoverColor), "hovered");
            mousePress(flat, 5, 5);
            compare(hex(flat.background.color), hex(flat.activeColor), "pressed");
            compare(hex(findChild(flat, "caption").color), "#c0c0c0", "caption silver while down");
            mouseRelease(flat, 5, 5);
            compare(hex(findChild(flat, "caption").color), "#ffffff");

            flat.enabled = false;
            compare(hex(flat.background.color), "#424242", "disabled, whatever the kind");
            compare(hex(findChild(flat, "caption").color), "#ffffff");
            compare(findChild(flat, "caption").opacity, 0.3);
        }

        function test_flat_focus_without_hover_shows_hover_colour() {
            flat.isDefault = true;
            flat.forceActiveFocus();
            verify(!flat.hovered);
            compare(hex(flat.background.color), hex(flat.hoverColor));
            verify(findChild(flat, "focusHighlight").visible);
            keyPress(Qt.Key_Space);
            compare(hex(flat.background.color), hex(flat.activeColor));
            keyRelease(Qt.Key_Space);
            compare(hex(flat.background.color), hex(flat.hoverColor));
            stage.forceActiveFocus();
            compare(hex(flat.background.color), "#26a5de");
            verify(!findChild(flat, "focusHighlight").visible);
        }

        function test_flat_size() {
            const caption = findChild(flat, "caption");
            compare(flat.height, 25);
            compare(flat.width, caption.implicitWidth + 25);
            flat.highVisMode = true;
            compare(flat.height, 35);
            compare(flat.width, caption.implicitWidth + 35);
            compare(flat.font.pixelSize, 14);
        }

        function test_flat_takes_focus_by_click_and_tab() {
            mouseClick(flat, 5, 5);
            verify(flat.activeFocus);
            before.forceActiveFocus();
            keyClick(Qt.Key_Backtab);
            verify(flat.activeFocus);
        }

        function test_bubble_gradient_by_state() {
            compare(hex(bubble.gradientTopColor), "#000000");
            compare(hex(bubble.gradientBottomColor), "#333333");
            mouseMove(bubble, 10, 10);
            tryVerify(() => bubble.hovered);
            compareShade(bubble.gradientTopColor, "#161616", "hovered top");
            compareShade(bubble.gradientBottomColor, "#333333", "hovered bottom");
            mousePress(bubble, 10, 10);
            compareShade(bubble.gradientTopColor, "#0e0e0e", "pressed top");
            compareShade(bubble.gradientBottomColor, "#303030", "pressed bottom");
            compare(findChild(bubble, "icon").opacity, 0.5);
            const box = findChild(bubble, "iconBox");
            const shifted = box.mapToItem(bubble, 0, 0);
            mouseRelease(bubble, 10, 10);
            const rest = box.mapToItem(bubble, 0, 0);
            compare(shifted.x - rest.x, 2);
            compare(shifted.y - rest.y, 4);
            compare(findChild(bubble, "icon").opacity, 1.0);
            bubble.enabled = false;
            compare(hex(bubble.gradientTopColor), "#181818");
            compare(hex(bubble.gradientBottomColor), "#333333");
            compare(findChild(bubble, "icon").opacity, 0.5);
        }

        function test_bubble_size_and_font() {
            compare(bubble.width, 52);
            compare(bubble.height, 52);
            compare(bubble.font.pixelSize, 14);
        }

        function test_bubble_focus_by_tab_only() {
            mouseClick(bubble, 10, 10);
            verify(!bubble.activeFocus, "a click leaves the focus where it was");
            compare(bubbleClicked.count, 1);
            verify(!findChild(bubble, "focusHighlight").visible);
            before.forceActiveFocus();
            keyClick(Qt.Key_Tab);
            verify(bubble.activeFocus);
            verify(findChild(bubble, "focusHighlight").visible);
        }

        function test_bubble_return_clicks_keypad_enter_does_not() {
            bubble.forceActiveFocus();
            keyClick(Qt.Key_Return);
            compare(bubbleClicked.count, 1);
            keyClick(Qt.Key_Enter, Qt.KeypadModifier);
            compare(bubbleClicked.count, 1);
        }

        function test_bubble_toggled_tint_data() {
            return [
                { tag: "toggled, no tint", toggled: true, tint: false, enabled: true, shown: false },
                { tag: "toggled and tinted", toggled: true, tint: true, enabled: true, shown: true },
                { tag: "tinted, disabled", toggled: true, tint: true, enabled: false, shown: false },
                { tag: "tint without toggle", toggled: false, tint: true, enabled: true, shown: false },
            ];
        }

        function test_bubble_toggled_tint(data) {
            bubble.toggled = data.toggled;
            bubble.colorToggledOn = data.tint;
            bubble.enabled = data.enabled;
            compare(findChild(bubble, "toggledTint").visible, data.shown);
        }

        function test_bubble_toggled_image() {
            const icon = findChild(bubble, "icon");
            compare(icon.source.toString(), "qrc:/images/play.svg");
            bubble.toggledOnImageSource = "qrc:/images/pause.svg";
            compare(icon.source.toString(), "qrc:/images/play.svg", "only while toggled");
            bubble.toggled = true;
            compare(icon.source.toString(), "qrc:/images/pause.svg");
        }

        function test_bubble_radiant_only_when_enabled() {
            const layer = findChild(bubble, "radiantLayer");
            verify(!layer.visible);
            bubble.radiant = true;
            verify(layer.visible);
            bubble.enabled = false;
            verify(!layer.visible);
        }

        function test_bubble_chevron() {
            const chevron = findChild(bubble, "chevron");
            verify(!chevron.visible);
            bubble.showDownChevron = true;
            verify(chevron.visible);
            compare(chevron.anchors.rightMargin, 5);
            compare(chevron.anchors.bottomMargin, 7);
            mousePress(bubble, 10, 10);
            compare(chevron.anchors.rightMargin, 2);
            compare(chevron.anchors.bottomMargin, 4);
            mouseRelease(bubble, 10, 10);
        }

        function test_bubble_caption_colour() {
            bubble.showText = true;
            bubble.text = "Play";
            const caption = findChild(bubble, "caption");
            verify(caption.visible);
            compare(hex(caption.color), "#c0c0c0");
            mousePress(bubble, 10, 10);
            compareShade(caption.color, "#909090");
            mouseRelease(bubble, 10, 10);
            bubble.textColor = "#a4a4a4";
            mousePress(bubble, 10, 10);
            compareShade(caption.color, "#7b7b7b");
            mouseRelease(bubble, 10, 10);
            bubble.showText = false;
            bubble.textColor = "silver";
        }

        function test_bubble_bar_layout() {
            compare(barFirst.width, 52);
            compare(barSecond.x - (barFirst.x + barFirst.width), 1, "1 px seam");
            compare(bar.implicitWidth, 52 + 1 + 52);
            compare(bar.implicitHeight, 52);
        }

        // Every control that offers a tip shows it after 500 ms of hovering, and only with text.
        function test_tool_tip_convention_data() {
            return [
                { tag: "BubbleButton", control: bubble },
                { tag: "GraphicButton", control: graphic },
            ];
        }

        function test_tool_tip_convention(data) {
            const tip = data.control.toolTip;
            compare(tip.delay, 500);
            mouseMove(data.control, 10, 10);
            wait(700);
            verify(!tip.opened, "no text, no tip");
            park();
            tip.text = "Shows the way";
            const hovered = Date.now();
            mouseMove(data.control, 12, 12);
            tryVerify(() => tip.opened, 2000);
            // Measured, not slept: a busy machine can only make the tip later. Its coarse timer
            // may fire up to 5 % early.
            verify(Date.now() - hovered >= tip.delay * 0.95, "not before 500 ms");
            park();
            tryVerify(() => !tip.visible, 1000);
            tip.text = "";
        }

        function test_graphic_sizes() {
            compare(graphic.width, 64);
            compare(graphic.height, 42);
            graphic.showImage = false;
            compare(graphic.height, 18);
            verify(!findChild(graphic, "icon").visible);
            graphic.showImage = true;
            graphic.imageSource = "";
            compare(graphic.height, 18);
            verify(!findChild(graphic, "icon").visible);
            verify(findChild(graphic, "caption").visible);
        }

        function test_graphic_states() {
            const inner = findChild(graphic, "innerButton");
            const caption = findChild(graphic, "caption");
            compare(hex(inner.background.color), "#202020");
            compare(hex(caption.color), "#c0c0c0");
            mouseMove(graphic, 10, 10);
            tryVerify(() => inner.hovered);
            compareShade(inner.background.color, "#2a2a2a", "hovered");
            compare(hex(caption.color), "#ffffff");
            mousePress(graphic, 10, 10);
            compare(inner.x, 2);
            compare(inner.y, 2);
            compare(findChild(graphic, "shadow").horizontalOffset, 0);
            compare(findChild(graphic, "shadow").verticalOffset, 0);
            compareShade(inner.background.color, "#2a2a2a", "pressed");
            mouseRelease(graphic, 10, 10);
            compare(inner.x, 0);
            compare(findChild(graphic, "shadow").horizontalOffset, 2);
            compare(graphicClicked.count, 1);
        }

        function test_graphic_disabled() {
            graphic.enabled = false;
            const inner = findChild(graphic, "innerButton");
            compareShade(inner.background.color, "#2b2b2b");
            compare(hex(findChild(graphic, "caption").color), "#666666");
            compare(findChild(graphic, "icon").opacity, 0.3);
            mouseClick(graphic, 10, 10);
            compare(graphicClicked.count, 0);
            compare(inner.x, 0);
        }

        function test_graphic_focus_by_tab_and_return() {
            const inner = findChild(graphic, "innerButton");
            mouseClick(graphic, 10, 10);
            verify(!inner.activeFocus);
            compare(graphicClicked.count, 1);
            bubble.forceActiveFocus();
            keyClick(Qt.Key_Tab);
            verify(inner.activeFocus);
            verify(findChild(graphic, "focusHighlight").visible);
            keyClick(Qt.Key_Return);
            compare(graphicClicked.count, 2);
        }
    }
}
