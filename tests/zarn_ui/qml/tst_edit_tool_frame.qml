import QtQuick
import QtQuick.Layouts
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 700
    height: 500

    ListModel {
        id: bars
        ListElement { bar: "1" }
        ListElement { bar: "2" }
        ListElement { bar: "3" }
        ListElement { bar: "4" }
        ListElement { bar: "5" }
    }

    // Reads the clipboard back.
    TextInput {
        id: scratch
        visible: false
    }

    Item {
        id: holder
        width: 420
        height: 400
    }

    Component {
        id: panelComponent
        BarAndBeatPanel {
            inBarModel: bars
        }
    }

    Component {
        id: buttonsComponent
        StandardEditButtons {
            width: 300
        }
    }

    Component {
        id: labelComponent
        EventIdLabel {
        }
    }

    Component {
        id: spyComponent
        SignalSpy {
        }
    }

    Component {
        id: plainToolComponent
        EditTool {
        }
    }

    Component {
        id: boundToolComponent
        EditTool {
            property int contentWidth: 200
            property int contentHeight: 120

            width: contentWidth
            height: contentHeight + 50
        }
    }

    // Sized the way the tools size themselves: by a layout that is only measured while the
    // window is being created.
    Component {
        id: layoutToolComponent
        EditTool {
            id: tool

            property alias panel: panel
            property alias content: content

            signal toolClosing()

            width: panel.comboBoxWidth * 2.5
            height: content.implicitHeight + 50

            onClosing: tool.toolClosing()

            ColumnLayout {
                id: content
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 25
                spacing: 15

                BarAndBeatPanel {
                    id: panel
                    Layout.fillWidth: true
                    hasDuration: false
                }
                StandardEditButtons {
                    Layout.fillWidth: true
                }
                EventIdLabel {
                    value: tool.eventId
                }
            }
        }
    }

    function clipboardText() {
        scratch.text = "";
        scratch.paste();
        return scratch.text;
    }

    function putOnClipboard(text) {
        scratch.text = text;
        scratch.selectAll();
        scratch.copy();
    }

    TestCase {
        name: "EventIdLabel"
        when: windowShown

        function test_click_copies_the_shown_text_data() {
            return [
                { tag: "no id", value: "", shown: "(none)" },
                { tag: "an id", value: "E2.3-2", shown: "E2.3-2" },
            ];
        }

        function test_click_copies_the_shown_text(data) {
            const label = createTemporaryObject(labelComponent, stage, { x: 10, y: 10, value: data.value });
            const idText = findChild(label, "idText");
            const notice = findChild(label, "copiedNotice");
            compare(findChild(label, "caption").text, "Event ID:");
            compare(idText.text, data.shown);
            verify(!notice.visible, "the notice waits for a click");

            putOnClipboard("something else");
            mouseClick(idText);
            compare(clipboardText(), data.shown);
            compare(idText.selectedText, data.shown, "the whole shown text is selected");
            verify(notice.visible);
            tryVerify(() => !notice.visible, 3000, "the notice hides itself");
        }

        function test_click_while_the_notice_shows() {
            const label = createTemporaryObject(labelComponent, stage, { x: 10, y: 10, value: "E1.1" });
            const idText = findChild(label, "idText");
            const notice = findChild(label, "copiedNotice");
            mouseClick(idText);
            putOnClipboard("something else");
            mouseClick(idText);
            compare(clipboardText(), "E1.1", "a second click copies again");
            verify(notice.visible);
            tryVerify(() => !notice.visible, 3000);
        }

        function test_caption_and_tool_tip() {
            const label = createTemporaryObject(labelComponent, stage, { x: 10, y: 10, text: "Cue ID:" });
            compare(findChild(label, "caption").text, "Cue ID:");
            const tip = findChild(label, "copyToolTip");
            verify(!tip.visible);
            mouseMove(findChild(label, "idText"));
            tryVerify(() => tip.visible, 3000, "the tool tip shows while the pointer rests on the id");
            compare(tip.text, "Click to Copy to Clipboard");
            mouseMove(stage, 690, 490);
            tryVerify(() => !tip.visible);
        }

        function test_long_id_wraps_inside_the_given_width() {
            const label = createTemporaryObject(labelComponent, stage, { value: "E12.3-2 E12.3-3 E12.3-4 E12.3-5" });
            const oneLine = label.implicitHeight;
            label.width = findChild(label, "caption").width + 60;
            tryVerify(() => label.implicitHeight > oneLine, 5000, "the id takes more lines");
            verify(findChild(label, "idText").width <= 60);
        }
    }

    TestCase {
        name: "BarAndBeatPanel"
        when: windowShown

        function spyOn(target, signalName) {
            return createTemporaryObject(spyComponent, stage, { target: target, signalName: signalName });
        }

        readonly property var allParts: ["inBarLabel", "inBarInput", "inBeatLabel", "inBeatInput",
            "outBarLabel", "outBarInput", "outBeatLabel", "outBeatInput",
            "inShiftLabel", "inShiftSlider", "outShiftLabel", "outShiftSlider", "selectAllButton"]

        function makePanel(props) {
            const panel = createTemporaryObject(panelComponent, holder, props ?? {});
            verify(panel);
            return panel;
        }

        function picker(panel, name) {
            return findChild(panel, name);
        }

        // The way a user picks a row: open the list, move down, take it with Return.
        function chooseRow(box, row) {
            box.comboControl.forceActiveFocus();
            keyClick(Qt.Key_Space);
            tryVerify(() => box.choices.opened);
            tryVerify(() => !isPolishScheduled(box.list), 5000);
            for (let i = box.currentIndex; i < row; ++i)
                keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Return);
            tryVerify(() => !box.choices.visible);
            compare(box.currentIndex, row);
        }

        function test_parts_shown_data() {
            const inAndOut = ["inBarLabel", "inBarInput", "inBeatLabel", "inBeatInput",
                              "outBarLabel", "outBarInput", "outBeatLabel", "outBeatInput"];
            const inOnly = ["inBarLabel", "inBarInput", "inBeatLabel", "inBeatInput"];
            return [
                { tag: "range with shifts", hasDuration: true, hasMicroshift: true, showSelectAll: false,
                  shown: inAndOut.concat(["inShiftLabel", "inShiftSlider", "outShiftLabel", "outShiftSlider"]),
                  labels: ["In Bar", "In Beat", "In Shift"] },
                { tag: "range with Select All", hasDuration: true, hasMicroshift: false, showSelectAll: true,
                  shown: inAndOut.concat(["selectAllButton"]),
                  labels: ["In Bar", "In Beat", "In Shift"] },
                { tag: "point with shift", hasDuration: false, hasMicroshift: true, showSelectAll: false,
                  shown: inOnly.concat(["inShiftLabel", "inShiftSlider"]),
                  labels: ["Bar", "Beat", "Microshift"] },
                { tag: "point", hasDuration: false, hasMicroshift: false, showSelectAll: false,
                  shown: inOnly,
                  labels: ["Bar", "Beat", "Microshift"] },
            ];
        }

        function test_parts_shown(data) {
            const panel = makePanel({ hasDuration: data.hasDuration, hasMicroshift: data.hasMicroshift,
                                      showSelectAll: data.showSelectAll });
            for (const name of allParts) {
                const part = findChild(panel, name);
                verify(part, name);
                compare(part.visible, data.shown.includes(name), name);
            }
            compare(findChild(panel, "inBarLabel").text, data.labels[0]);
            compare(findChild(panel, "inBeatLabel").text, data.labels[1]);
            compare(findChild(panel, "inShiftLabel").text, data.labels[2]);
            if (data.hasDuration) {
                compare(findChild(panel, "outBarLabel").text, "Out Bar");
                compare(findChild(panel, "outBeatLabel").text, "Out Beat");
                compare(findChild(panel, "outShiftLabel").text, "Out Microshift");
            }
            compare(panel.width, holder.width, "as wide as its holder");
            compare(panel.height, panel.implicitHeight);
            verify(panel.height > 0);
        }

        function test_height_follows_the_shown_parts() {
            const panel = makePanel();
            const range = panel.height;
            panel.hasDuration = false;
            tryVerify(() => panel.height < range, 5000, "the out pickers give back their room");
            const point = panel.height;
            panel.showSelectAll = true;
            tryCompare(panel, "height", point + 15 + 30, 5000, "the button and the spacing above it");
        }

        function test_user_choice_asks_for_beats_data() {
            return [
                { tag: "in bar", name: "inBarInput", request: "inBeatInputUpdateRequest",
                  other: "outBeatInputUpdateRequest", changed: "inBarInputChanged" },
                { tag: "out bar", name: "outBarInput", request: "outBeatInputUpdateRequest",
                  other: "inBeatInputUpdateRequest", changed: "outBarInputChanged" },
            ];
        }

        function test_user_choice_asks_for_beats(data) {
            const panel = makePanel();
            const box = picker(panel, data.name);
            box.model = bars;
            box.currentIndex = 0;
            const request = spyOn(panel, data.request);
            const other = spyOn(panel, data.other);
            const changed = spyOn(panel, data.changed);
            chooseRow(box, 2);
            compare(request.count, 1);
            compare(request.signalArguments[0][0], 2);
            compare(other.count, 0);
            compare(changed.count, 1);
        }

        function test_index_set_by_the_controller_data() {
            return [
                { tag: "in bar", name: "inBarInput", model: bars, changed: "inBarInputChanged" },
                { tag: "out bar", name: "outBarInput", model: bars, changed: "outBarInputChanged" },
                { tag: "in beat", name: "inBeatInput", model: [1, 2, 3, 4], changed: "inBeatInputChanged" },
                { tag: "out beat", name: "outBeatInput", model: [1, 2, 3, 4], changed: "outBeatInputChanged" },
            ];
        }

        function test_index_set_by_the_controller(data) {
            const panel = makePanel();
            const box = picker(panel, data.name);
            box.model = data.model;
            box.currentIndex = 0;
            const changed = spyOn(panel, data.changed);
            const inRequest = spyOn(panel, "inBeatInputUpdateRequest");
            const outRequest = spyOn(panel, "outBeatInputUpdateRequest");
            box.currentIndex = 3;
            compare(changed.count, 1);
            compare(inRequest.count, 0);
            compare(outRequest.count, 0);
        }

        function test_texts_sent_with_requests() {
            const panel = makePanel();
            picker(panel, "outBarInput").model = bars;
            picker(panel, "inBeatInput").model = [1, 2, 3];
            picker(panel, "outBeatInput").model = [1, 2, 3, 4];
            picker(panel, "inBarInput").currentIndex = 1;
            picker(panel, "outBarInput").currentIndex = 4;
            picker(panel, "inBeatInput").currentIndex = 2;
            picker(panel, "outBeatInput").currentIndex = 3;
            compare(panel.inBar, "2");
            compare(panel.outBar, "5");
            compare(panel.inBeat, "3");
            compare(panel.outBeat, "4");
            compare(panel.inBarModel, bars);
            compare(panel.comboBoxWidth, 100);
        }

        // The controller's part is played here: a chosen bar gets its own beat list.
        function test_select_all_moves_indexes_only() {
            const panel = makePanel({ showSelectAll: true });
            const inBar = picker(panel, "inBarInput");
            const outBar = picker(panel, "outBarInput");
            const inBeat = picker(panel, "inBeatInput");
            const outBeat = picker(panel, "outBeatInput");
            outBar.model = bars;
            inBeat.model = [1, 2, 3, 4];
            outBeat.model = [1, 2, 3, 4];

            chooseRow(inBar, 2);
            inBeat.model = [1, 2, 3];
            inBeat.currentIndex = 1;
            chooseRow(outBar, 1);
            outBeat.model = [1, 2, 3, 4, 5, 6];
            outBeat.currentIndex = 2;

            const inRequest = spyOn(panel, "inBeatInputUpdateRequest");
            const outRequest = spyOn(panel, "outBeatInputUpdateRequest");
            const changes = ["inBarInputChanged", "outBarInputChanged", "inBeatInputChanged",
                             "outBeatInputChanged"].map(name => spyOn(panel, name));
            mouseClick(findChild(panel, "selectAllButton"));

            compare(inBar.currentIndex, 0);
            compare(outBar.currentIndex, 4);
            compare(inBeat.currentIndex, 0);
            compare(outBeat.currentIndex, 5);
            compare(inBeat.count, 3, "the in beats of the chosen bar stay");
            compare(outBeat.count, 6, "the out beats of the chosen bar stay");
            compare([panel.inBar, panel.inBeat, panel.outBar, panel.outBeat], ["1", "1", "5", "6"]);
            compare(inRequest.count, 0);
            compare(outRequest.count, 0);
            for (const spy of changes)
                compare(spy.count, 1, spy.signalName);
        }

        function test_select_all_on_empty_pickers() {
            const panel = makePanel({ inBarModel: [] });
            panel.selectAll();
            compare([panel.inBar, panel.inBeat, panel.outBar, panel.outBeat], ["", "", "", ""]);
        }

        function test_enter_on_a_closed_picker() {
            const panel = makePanel();
            const enter = spyOn(panel, "pressEnter");
            const names = ["inBarInput", "outBarInput", "inBeatInput", "outBeatInput"];
            picker(panel, "outBarInput").model = bars;
            picker(panel, "inBeatInput").model = [1, 2];
            picker(panel, "outBeatInput").model = [1, 2];
            for (const name of names) {
                picker(panel, name).comboControl.forceActiveFocus();
                keyClick(Qt.Key_Return);
            }
            compare(enter.count, names.length);
        }

        function test_shift_sliders() {
            const panel = makePanel({ hasMicroshift: true, inMaxMicroshift: 24 });
            const inSlider = findChild(panel, "inShiftSlider");
            const outSlider = findChild(panel, "outShiftSlider");
            compare([inSlider.from, inSlider.to, inSlider.value], [0, 24, 0]);
            compare([outSlider.from, outSlider.to, outSlider.value], [0, 1, 0]);
            verify(!inSlider.showZeroMark);

            panel.setInMicroshiftMinMax(2, 48);
            panel.setOutMicroshiftMinMax(0, 12);
            compare([inSlider.from, inSlider.to], [2, 48]);
            compare([outSlider.from, outSlider.to], [0, 12]);
            compare([panel.inMinMicroshift, panel.inMaxMicroshift], [2, 48]);

            panel.inShift = 7;
            compare(panel.inMicroshiftValue, 7);
            panel.outMicroshiftValue = 5;
            compare(panel.outShift, 5);
            panel.inShiftEnabled = false;
            verify(!inSlider.enabled);

            inSlider.value = 9.6;
            compare(findChild(panel, "inShiftToolTip").text, "Value: 10");
        }
    }

    TestCase {
        name: "StandardEditButtons"
        when: windowShown

        function spyOn(target, signalName) {
            return createTemporaryObject(spyComponent, stage, { target: target, signalName: signalName });
        }

        function test_keys_data() {
            return [
                { tag: "Escape on the row", focus: "row", key: Qt.Key_Escape, cancel: 1, ok: 0 },
                { tag: "Return on the row", focus: "row", key: Qt.Key_Return, cancel: 0, ok: 1 },
                { tag: "Escape on OK", focus: "okButton", key: Qt.Key_Escape, cancel: 1, ok: 0 },
                { tag: "Return on OK", focus: "okButton", key: Qt.Key_Return, cancel: 0, ok: 1 },
                { tag: "Return on Cancel", focus: "cancelButton", key: Qt.Key_Return, cancel: 0, ok: 1 },
                { tag: "Space on Cancel", focus: "cancelButton", key: Qt.Key_Space, cancel: 1, ok: 0 },
                { tag: "Space on OK", focus: "okButton", key: Qt.Key_Space, cancel: 0, ok: 1 },
            ];
        }

        function test_keys(data) {
            const buttons = createTemporaryObject(buttonsComponent, stage);
            const cancel = spyOn(buttons, "cancelClicked");
            const ok = spyOn(buttons, "okayClicked");
            if (data.focus === "row")
                buttons.forceActiveFocus();
            else
                buttons[data.focus].forceActiveFocus();
            keyClick(data.key);
            compare(cancel.count, data.cancel);
            compare(ok.count, data.ok);
        }

        function test_clicks() {
            const buttons = createTemporaryObject(buttonsComponent, stage);
            const cancel = spyOn(buttons, "cancelClicked");
            const ok = spyOn(buttons, "okayClicked");
            mouseClick(buttons.cancelButton);
            compare([cancel.count, ok.count], [1, 0]);
            mouseClick(buttons.okButton);
            compare([cancel.count, ok.count], [1, 1]);
        }

        function test_row_layout() {
            const buttons = createTemporaryObject(buttonsComponent, stage);
            const cancel = buttons.cancelButton;
            const ok = buttons.okButton;
            tryCompare(cancel, "width", 80, 5000);
            compare(cancel.text, "Cancel");
            compare(ok.text, "OK");
            verify(ok.isDefault);
            verify(!cancel.isDefault);
            compare(ok.width, cancel.width);
            compare(ok.x + ok.width, buttons.width, "pushed to the right");
            compare(ok.x - (cancel.x + cancel.width), 20);
            compare(buttons.implicitHeight, cancel.implicitHeight);
            compare(buttons.height, buttons.implicitHeight);
            ok.forceActiveFocus();
            verify(findChild(ok, "focusHighlight").visible);
            verify(!findChild(cancel, "focusHighlight").visible);
        }
    }

    TestCase {
        name: "EditTool"
        when: windowShown

        function spyOn(target, signalName) {
            return createTemporaryObject(spyComponent, stage, { target: target, signalName: signalName });
        }

        property var shown: []

        function cleanup() {
            // An application-modal window left showing would block the next test's input.
            for (const tool of shown)
                tool.visible = false;
            shown = [];
        }

        function show(tool) {
            shown.push(tool);
            tool.visible = true;
            tryVerify(() => tool.contentItem.width === tool.width && tool.contentItem.height === tool.height,
                      5000, "the window's content takes its size");
        }

        function test_defaults() {
            const tool = createTemporaryObject(plainToolComponent, stage);
            compare(tool.title, "Edit Tool");
            compare(tool.flags, Qt.Dialog);
            compare(tool.modality, Qt.ApplicationModal);
            compare([tool.width, tool.height], [360, 300]);
            compare(tool.windowHeight, 300);
            verify(!tool.visible, "the controller shows the window once it is set up");
            verify(!tool.isEdit);
            compare(tool.eventId, "");
            compare(tool.theme.default_font.pixelSize, 14);
            show(tool);
            const background = findChild(tool.contentItem, "background");
            compare(background.color, tool.theme.default_bg_color);
            compare([background.width, background.height], [360, 300]);
            compare([tool.topSpacer.y, tool.topSpacer.width, tool.topSpacer.height], [0, 360, 30]);
        }

        function test_size_fixed_at_completion_data() {
            return [
                { tag: "bound to properties", component: boundToolComponent,
                  contentHeight: tool => tool.contentHeight,
                  grow: tool => { tool.contentWidth = 500; tool.contentHeight = 400; } },
                { tag: "bound to a layout", component: layoutToolComponent,
                  contentHeight: tool => tool.content.implicitHeight,
                  grow: tool => { tool.panel.hasDuration = true; tool.panel.comboBoxWidth = 180; } },
            ];
        }

        function test_size_fixed_at_completion(data) {
            const tool = createTemporaryObject(data.component, stage);
            const width = tool.width;
            const height = tool.height;
            compare(height, data.contentHeight(tool) + 50, "the content was measured before the size was fixed");
            verify(height > 100);
            compare([tool.minimumWidth, tool.maximumWidth], [width, width]);
            compare([tool.minimumHeight, tool.maximumHeight], [height, height]);

            show(tool);
            data.grow(tool);
            tryVerify(() => data.contentHeight(tool) + 50 > height, 5000, "the content grows");
            compare([tool.width, tool.height], [width, height]);
            compare(tool.windowHeight, height);
            compare([tool.minimumWidth, tool.maximumWidth], [width, width]);
            compare([tool.minimumHeight, tool.maximumHeight], [height, height]);
        }

        function test_close_reports_to_frame_and_tool() {
            const tool = createTemporaryObject(layoutToolComponent, stage);
            const frameClosing = spyOn(tool, "windowClosing");
            const toolClosing = spyOn(tool, "toolClosing");
            show(tool);
            tool.close();
            compare(frameClosing.count, 1);
            compare(toolClosing.count, 1);
            verify(!tool.visible);
        }
    }
}
