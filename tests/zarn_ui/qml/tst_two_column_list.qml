import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 400
    height: 300

    ListModel {
        id: destinations
        ListElement { first: "Sound desk"; second: "192.168.0.10:53000 UDP" }
        ListElement { first: "Lighting"; second: "192.168.0.11:8000 UDP" }
        ListElement { first: "Video"; second: "192.168.0.12:9000 TCP" }
    }

    ListModel {
        id: emptyModel
    }

    Component {
        id: listComponent
        CustomTwoColumnListView {
            width: 300
            height: 200
        }
    }

    TestCase {
        name: "CustomTwoColumnListView"
        when: windowShown

        function makeList(model) {
            const list = createTemporaryObject(listComponent, stage, { model: model });
            verify(list);
            list.forceActiveFocus();
            return list;
        }

        function rowTexts(list, index) {
            const row = list.itemAtIndex(index);
            return [findChild(row, "firstColumn"), findChild(row, "secondColumn")];
        }

        function test_keysWithoutRows() {
            const list = makeList(emptyModel);
            compare(list.currentIndex, -1);
            keyClick(Qt.Key_Down);
            compare(list.currentIndex, -1);
            keyClick(Qt.Key_Up);
            compare(list.currentIndex, -1);
        }

        function test_keysWithoutCurrentRow() {
            const list = makeList(destinations);
            list.currentIndex = -1;
            keyClick(Qt.Key_Up);
            compare(list.currentIndex, -1);
            keyClick(Qt.Key_Down);
            compare(list.currentIndex, 0);
        }

        function test_keysStopAtTheEnds() {
            const list = makeList(destinations);
            list.currentIndex = 0;
            keyClick(Qt.Key_Up);
            compare(list.currentIndex, 0, "no wrap-around at the top");
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Down);
            compare(list.currentIndex, 2);
            keyClick(Qt.Key_Down);
            compare(list.currentIndex, 2, "no wrap-around at the bottom");
            keyClick(Qt.Key_Up);
            compare(list.currentIndex, 1);
        }

        function test_clickSelectsAndTakesFocus() {
            const list = makeList(destinations);
            list.currentIndex = 0;
            stage.forceActiveFocus();
            verify(!list.activeFocus);
            verify(!findChild(list, "focusFrame").visible);
            mouseClick(list, 100, list.rowHeight * 2 + 5);
            compare(list.currentIndex, 2);
            verify(list.activeFocus);
            verify(findChild(list, "focusFrame").visible);
            verify(findChild(list.itemAtIndex(2), "rowFocusHighlight").visible);
            verify(!findChild(list.itemAtIndex(0), "rowFocusHighlight").visible);
        }

        function test_columns() {
            const list = makeList(destinations);
            list.currentIndex = 1;
            const current = rowTexts(list, 1);
            const other = rowTexts(list, 0);
            compare(other[0].text, "Sound desk");
            compare(other[1].text, "192.168.0.10:53000 UDP");
            // Default columns share the width; the first starts after the spacer.
            compare(other[0].width, 150);
            compare(other[1].width, 150);
            compare(other[0].mapToItem(list.itemAtIndex(0), 0, 0).x, 10);
            compare(other[0].height, 30);
            compare(other[0].elide, Text.ElideRight);
            compare(current[0].color, Qt.color("white"));
            compare(other[0].color, Qt.color("#a4a4a4"));

            list.colWidths = [80, 200];
            list.leftSpacerWidth = 4;
            list.rowHeight = 24;
            compare(other[0].width, 80);
            compare(other[1].width, 200);
            tryVerify(() => other[1].mapToItem(list.itemAtIndex(0), 0, 0).x === 84);
            compare(list.itemAtIndex(0).height, 24);
        }

        function test_highlightFollowsCurrentRow() {
            const list = makeList(destinations);
            list.currentIndex = 2;
            tryCompare(list.highlightItem, "y", list.itemAtIndex(2).y);
            compare(list.highlightItem.height, list.rowHeight);
            compare(list.highlightItem.color, Qt.color("#363636"));
        }
    }
}
