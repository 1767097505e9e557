import QtQuick
import QtTest
import com.lanternhillstudios.musical_ui

// The "Event Log Manager" window over plain list models with the roles the manager's lists
// have, driven with the mouse: one selection across the two panes, the button that reports
// it, eliding and the scroll bar.
Item {
    id: stage
    width: 700
    height: 450

    Component {
        id: windowComponent
        ChangelogManagerWindow {
        }
    }

    Component {
        id: modelComponent
        ListModel {
        }
    }

    Component {
        id: spyComponent
        SignalSpy {
        }
    }

    TestCase {
        name: "ChangelogManagerWindow"
        when: windowShown

        property var shown: []

        function cleanup() {
            // An application-modal window left showing would block the next test's input.
            for (const window of shown)
                window.visible = false;
            shown = [];
        }

        function fill(model, count, modified) {
            for (let i = 0; i < count; ++i)
                model.append({ version: "1." + i, modified: modified || "Oct 27 2022 06:00 PM" });
            return model;
        }

        // As the manager does it: the models set while empty, then filled, then the window shown.
        function open(localCount, serverCount) {
            const window = createTemporaryObject(windowComponent, stage);
            verify(window);
            window.localModel = createTemporaryObject(modelComponent, stage);
            window.serverModel = createTemporaryObject(modelComponent, stage);
            fill(window.localModel, localCount);
            fill(window.serverModel, serverCount);
            shown.push(window);
            window.visible = true;
            waitForRendering(window.contentItem);
            return window;
        }

        function rowOf(pane, row) {
            const list = pane.listView;
            tryVerify(() => list.itemAtIndex(row) !== null, 5000, "row " + row + " is made");
            return list.itemAtIndex(row);
        }

        function spyOn(target, signalName) {
            return createTemporaryObject(spyComponent, stage, { target: target, signalName: signalName });
        }

        function test_startsWithoutSelection() {
            const window = open(3, 4);
            compare(window.title, "Event Log Manager");
            compare(window.localPane.index, -1);
            compare(window.serverPane.index, -1);
            verify(!window.loadButton.enabled);
        }

        function test_oneSelectionAcrossThePanes() {
            const window = open(3, 4);
            const local = spyOn(window, "loadSelectedLocal");
            const server = spyOn(window, "loadSelectedServer");

            mouseClick(rowOf(window.localPane, 0));
            compare(window.localPane.index, 0);
            verify(window.loadButton.enabled);

            mouseClick(rowOf(window.serverPane, 2));
            compare(window.serverPane.index, 2);
            compare(window.localPane.index, -1);

            mouseClick(window.loadButton);
            compare(server.count, 1);
            compare(server.signalArguments[0][0], 2);
            compare(local.count, 0);

            // And back: a local row clears the server pane and is what the button reports.
            mouseClick(rowOf(window.localPane, 1));
            compare(window.serverPane.index, -1);
            mouseClick(window.loadButton);
            compare(local.count, 1);
            compare(local.signalArguments[0][0], 1);
            compare(server.count, 1);
        }

        function test_emptyPanesKeepTheButtonDisabled() {
            const window = open(0, 0);
            const local = spyOn(window, "loadSelectedLocal");
            const server = spyOn(window, "loadSelectedServer");
            verify(!window.loadButton.enabled);
            mouseClick(window.loadButton);
            compare(local.count + server.count, 0);
        }

        function test_longTextIsElided() {
            const window = open(0, 0);
            fill(window.localModel, 1, "A modification text far longer than the column that has to show it");
            const text = findChild(rowOf(window.localPane, 0), "modifiedText");
            verify(text);
            tryVerify(() => text.truncated, 5000, "the long text is cut");
            verify(text.contentWidth <= text.width);
            const version = findChild(rowOf(window.localPane, 0), "versionText");
            verify(!version.truncated);
        }

        function test_scrollBarOnlyForTallLists_data() {
            return [
                { tag: "20 rows", rows: 20, shown: true },
                { tag: "3 rows", rows: 3, shown: false },
            ];
        }

        function test_scrollBarOnlyForTallLists(data) {
            const window = open(data.rows, 0);
            // The window is laid out so that the pane is 300 high.
            window.height = 300 + 2 * 15 + window.loadButton.height + 10;
            tryCompare(window.localPane, "height", 300);
            compare(window.localPane.scrollBar.visible, data.shown);
            compare(window.serverPane.scrollBar.visible, false);
        }
    }
}
