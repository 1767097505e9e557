import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 800
    height: 400

    ZarnTheme {
        id: theme
    }

    CustomTabBar {
        id: panelTabs
        width: 600
        currentIndex: 0

        CustomTabButton {
            id: playlistTab
            text: "Playlist"
        }
        CustomTabButton {
            id: markerTab
            text: "Marker List"
        }
        CustomTabButton {
            id: mixerTab
            text: "Mixer"
        }
    }

    CustomTabBar {
        id: defaultTabs
        y: 60
        width: 600

        Repeater {
            model: 5
            CustomTabButton {
                text: "T" + index
            }
        }
    }

    TabBar {
        id: modeBar
        y: 120

        ModeTabButton {
            id: musicEditTab
            text: "Music Edit"
        }
        ModeTabButton {
            id: scoreTab
            text: "Score"
        }
    }

    StackLayout {
        id: modeStack
        y: 160
        currentIndex: modeBar.currentIndex

        Item {}
        Item {}
    }

    TabBar {
        id: oldBar
        y: 220

        TabButtom {
            id: oldFirst
            text: "First"
        }
        TabButtom {
            id: oldSecond
            text: "Second"
            source: "qrc:/images/list.svg"
        }
    }

    TestCase {
        name: "Tabs"
        when: windowShown

        function hex(c) {
            return Qt.color(c).toString();
        }

        function stripeOf(tab) {
            return findChild(tab.background, "topStripe");
        }

        function park() {
            mouseMove(stage, 790, 390);
        }

        function init() {
            park();
            panelTabs.currentIndex = 0;
            modeBar.currentIndex = 0;
            oldBar.currentIndex = 0;
            for (const t of [playlistTab, markerTab, mixerTab])
                t.showHoverEffect = false;
            scoreTab.enabled = true;
        }

        function test_default_current_index_is_4() {
            compare(defaultTabs.currentIndex, 4);
            verify(defaultTabs.tabBar.itemAt(4).isSelected);
        }

        function test_bottom_lines_leave_a_gap_under_the_current_tab() {
            const before = findChild(panelTabs, "lineBeforeCurrent");
            const after = findChild(panelTabs, "lineAfterCurrent");
            compare(before.width, 0, "no line left of the first tab");
            compare(after.x, playlistTab.width, "starts at the first tab's right edge");
            compare(after.width, markerTab.width + mixerTab.width + 1, "runs 1 px past the last tab");
            compare(after.y, panelTabs.tabBar.height - 1);
            compare(hex(after.color), "#3c3c3c");
            verify(after.z > playlistTab.z);

            panelTabs.currentIndex = 1;
            compare(before.width, playlistTab.width);
            compare(after.x, playlistTab.width + markerTab.width);
            compare(after.width, mixerTab.width + 1);
        }

        function test_click_selects() {
            mouseClick(mixerTab);
            compare(panelTabs.currentIndex, 2);
            verify(mixerTab.isSelected);
            verify(!playlistTab.isSelected);
        }

        function test_tab_size_and_font() {
            const metrics = Qt.createQmlObject('import QtQuick; TextMetrics {}', stage);
            metrics.font = theme.default_font;
            metrics.text = "Marker List";
            const content = Math.floor(0 + 1.2 * metrics.advanceWidth);
            compare(markerTab.implicitContentWidth, content);
            compare(markerTab.width, Math.floor(1.3 * content));
            compare(markerTab.implicitContentHeight, Math.floor(1.5 * findChild(markerTab, "caption").implicitHeight));
            compare(panelTabs.height, Math.floor(panelTabs.implicitHeight));
            compare(playlistTab.font.bold, true, "bold while selected");
            compare(markerTab.font.bold, false);
            compare(markerTab.font.pixelSize, 14);
            compare(hex(findChild(playlistTab, "caption").color), "#ffffff");
            compare(hex(findChild(markerTab, "caption").color), "#808080");
            metrics.destroy();
        }

        function test_tab_background_and_stripe_data() {
            return [
                { tag: "idle, not selected", tab: 1, hover: false, effect: false, bg: "#191919", stripe: null },
                { tag: "hovered without effect, not selected", tab: 1, hover: true, effect: false, bg: "#191919", stripe: "#00000000" },
                { tag: "hovered with effect, not selected", tab: 1, hover: true, effect: true, bg: "#2a2a2a", stripe: "#696969" },
                { tag: "selected, idle", tab: 0, hover: false, effect: true, bg: "#202020", stripe: "#00000000" },
                { tag: "selected, hovered without effect", tab: 0, hover: true, effect: false, bg: "#202020", stripe: "#00000000" },
                { tag: "selected, hovered with effect", tab: 0, hover: true, effect: true, bg: "#2a2a2a", stripe: "#ffffff" },
            ];
        }

        function test_tab_background_and_stripe(data) {
            const tab = [playlistTab, markerTab, mixerTab][data.tab];
            tab.showHoverEffect = data.effect;
            if (data.hover) {
                mouseMove(tab, 5, 5);
                tryVerify(() => tab.hovered);
            }
            compare(hex(tab.background.color), data.bg);
            const stripe = stripeOf(tab);
            compare(stripe.height, 3);
            if (data.stripe === null) {
                verify(!stripe.visible, "stripe not drawn");
            } else {
                verify(stripe.visible);
                compare(Qt.color(stripe.color).toString(), Qt.color(data.stripe).toString());
            }
        }

        function test_tab_tool_tip() {
            const tip = markerTab.toolTip;
            compare(tip.delay, 500);
            tip.text = "Markers of the song";
            const hovered = Date.now();
            mouseMove(markerTab, 5, 5);
            tryVerify(() => tip.opened, 2000);
            // Measured, not slept: a busy machine can only make the tip later. Its coarse timer
            // may fire up to 5 % early.
            verify(Date.now() - hovered >= tip.delay * 0.95, "not before 500 ms");
            park();
            tryVerify(() => !tip.visible, 1000);
            tip.text = "";
            mouseMove(markerTab, 5, 5);
            wait(700);
            verify(!tip.opened);
        }

        function test_mode_tabs_switch_the_stack() {
            compare(modeStack.currentIndex, 0);
            mouseClick(scoreTab);
            compare(modeBar.currentIndex, 1);
            compare(modeStack.currentIndex, 1);
            verify(scoreTab.isSelected);
            compare(findChild(scoreTab, "caption").font.bold, true);
            compare(hex(findChild(scoreTab, "caption").color), "#ffffff");
            compare(hex(findChild(musicEditTab, "caption").color), "#808080");
            compare(findChild(musicEditTab, "caption").font.bold, false);
        }

        function test_mode_tab_looks() {
            compare(scoreTab.height, 35);
            compare(scoreTab.width, 1.2 * scoreTab.implicitWidth);
            compare(scoreTab.font.pixelSize, 14);
            const stripe = stripeOf(musicEditTab);
            compare(musicEditTab.background.color.a, 0, "selected: transparent");
            verify(stripe.visible);
            compare(hex(stripe.color), "#ffffff");
            verify(!stripeOf(scoreTab).visible);
            compare(scoreTab.background.color.a, 0);
            mouseMove(scoreTab, 5, 5);
            tryVerify(() => scoreTab.hovered);
            compare(hex(scoreTab.background.color), "#2a2a2a");
            verify(stripeOf(scoreTab).visible);
            compare(hex(stripeOf(scoreTab).color), "#696969");
            compare(findChild(scoreTab, "cursorArea").cursorShape, Qt.PointingHandCursor);
            compare(findChild(musicEditTab, "cursorArea").cursorShape, Qt.ArrowCursor);
            scoreTab.enabled = false;
            compare(hex(findChild(scoreTab, "caption").color), "#696969");
        }

        function test_old_tab_button() {
            compare(oldFirst.font.bold, true);
            compare(oldSecond.font.bold, true, "bold whether selected or not");
            compare(oldFirst.width, 1.2 * oldFirst.implicitWidth);
            compare(hex(oldFirst.background.color), "#202020");
            compare(hex(oldSecond.background.color), "#191919");
            mouseMove(oldFirst, 5, 5);
            tryVerify(() => oldFirst.hovered);
            compare(hex(oldFirst.background.color), "#2a2a2a", "hover shade even when selected");
            compare(stripeOf(oldFirst), null, "no stripe");
        }
    }
}
