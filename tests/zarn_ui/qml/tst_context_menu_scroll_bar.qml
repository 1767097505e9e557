import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 500
    height: 400

    Component {
        id: emptyMenuComponent
        CustomContextMenu {
        }
    }

    Component {
        id: fadeMenuComponent
        CustomContextMenu {
            property string chosen: ""
            Action {
                text: "1 second"
                onTriggered: chosen = text
            }
            Action {
                text: "7 seconds"
                onTriggered: chosen = text
            }
            Action {
                text: "Disabled"
                enabled: false
            }
            Menu {
                title: "More"
                Action {
                    text: "Inner"
                }
            }
        }
    }

    Component {
        id: scrollingListComponent
        ListView {
            width: 200
            height: 100
            model: 50
            delegate: Text {
                required property int index
                text: "Row " + index
                height: 20
            }
            ScrollBar.vertical: CustomScrollBar {
            }
        }
    }

    TestCase {
        name: "ContextMenuAndScrollBar"
        when: windowShown

        function test_emptyMenuIs20Wide() {
            const menu = createTemporaryObject(emptyMenuComponent, stage);
            compare(menu.count, 0);
            compare(menu.width, 20);
        }

        function test_menuWidthAndItems() {
            const menu = createTemporaryObject(fadeMenuComponent, stage);
            menu.popup(stage, 10, 10);
            tryCompare(menu, "opened", true);
            compare(menu.count, 4);
            let widest = 0;
            let padding = 0;
            for (let i = 0; i < menu.count; ++i) {
                const item = menu.itemAt(i);
                widest = Math.max(widest, item.contentItem.implicitWidth);
                padding = Math.max(padding, item.padding);
                compare(item.implicitHeight, 40);
            }
            verify(widest > 0);
            compare(menu.width, widest + 2 * padding + 20);

            const first = menu.itemAt(0);
            compare(String(first.contentItem.color), "#a4a4a4");
            compare(first.contentItem.elide, Text.ElideRight);
            compare(first.contentItem.leftPadding, 0);
            compare(first.background.opacity, 1);
            compare(menu.itemAt(2).background.opacity, 0.3);

            // Only the entry that opens a sub-menu carries the arrow and makes room for it.
            const more = menu.itemAt(3);
            verify(more.arrow.visible);
            compare(more.arrow.width, 40);
            compare(more.contentItem.rightPadding, 40);
            verify(!first.arrow.visible);
            compare(first.contentItem.rightPadding, 0);
            compare(String(more.arrow.fillColor), "#aaaaaa");
            more.highlighted = true;
            compare(String(more.arrow.fillColor), "#ffffff");
            compare(String(more.background.color), "#3a3a3a");
            menu.close();
        }

        function test_menuTriggersAction() {
            const menu = createTemporaryObject(fadeMenuComponent, stage);
            menu.popup(stage, 10, 10);
            tryCompare(menu, "opened", true);
            mouseClick(menu.itemAt(1));
            compare(menu.chosen, "7 seconds");
            tryCompare(menu, "visible", false);
        }

        function test_scrollBar() {
            const list = createTemporaryObject(scrollingListComponent, stage);
            const bar = list.ScrollBar.vertical;
            compare(bar.policy, ScrollBar.AlwaysOn);
            compare(bar.width, 20);
            compare(String(bar.background.color), "#171717");
            const handle = bar.contentItem;
            compare(String(handle.color), "#2e2e2e");
            // The handle's length is what the scroll position calls for.
            fuzzyCompare(handle.height, bar.visualSize * bar.availableHeight, 1);
            compare(handle.width, bar.availableWidth);
            mouseMove(bar, bar.width / 2, bar.height - 5);
            tryVerify(() => String(handle.color) === "#363636");
            mouseMove(stage, 450, 350);
            tryVerify(() => String(handle.color) === "#2e2e2e");
        }
    }
}
