import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui

// The sound-effect instance tool and the custom audio parameters tool as a host drives them:
// properties set, shown, then OK, Cancel or the close button.
Item {
    id: stage
    width: 300
    height: 200

    ListModel {
        id: sources
        ListElement { sfxid: "thunder"; displayname: "Thunder" }
        ListElement { sfxid: "doorbell"; displayname: "Doorbell" }
    }

    ListModel {
        id: paths
        ListElement { path_name: "Main"; path_id: "PATH0" }
        ListElement { path_name: "Foyer"; path_id: "PATH1" }
    }

    ListModel {
        id: noSources
    }

    Component {
        id: toolComponent
        StandaloneSfxTool {
        }
    }

    Component {
        id: customComponent
        SfxPropertyTool {
        }
    }

    TestCase {
        name: "StandaloneSfxTool"
        when: windowShown

        property var heard: []
        property var shown: []

        function cleanup() {
            for (const w of shown)
                w.visible = false;
            shown = [];
            heard = [];
        }

        function open(props) {
            const tool = createTemporaryObject(toolComponent, stage, props || {});
            verify(tool);
            tool.createRequest.connect(function () { heard.push(["create"].concat(Array.from(arguments))); });
            tool.changeRequest.connect(function () { heard.push(["change"].concat(Array.from(arguments))); });
            tool.toolClosing.connect(() => heard.push(["closing"]));
            shown.push(tool);
            tool.visible = true;
            tryVerify(() => tool.active, 5000);
            waitForRendering(tool.contentItem);
            return tool;
        }

        function child(tool, name) {
            return findChild(tool.contentItem, name);
        }

        function typeInto(tool, fieldName, text) {
            const field = child(tool, fieldName);
            field.forceActiveFocus();
            field.field.selectAll();
            for (const ch of text)
                keyClick(ch);
        }

        function request(tool) {
            tool.pressOk();
            const last = heard.filter(h => h[0] !== "closing");
            return last[last.length - 1];
        }

        function test_fade_texts_data() {
            return [
                { tag: "1.5", text: "1.5", ms: 1500 },
                { tag: "0.0015", text: "0.0015", ms: 1 },
                { tag: "2s", text: "2s", ms: 2000 },
                { tag: "empty", text: "", ms: 0 },
                { tag: "abc", text: "abc", ms: 0 },
                { tag: "s2", text: "s2", ms: 0 },
                { tag: "-1", text: "-1", ms: -1000 },
                { tag: "leading blanks", text: "  3", ms: 3000 },
                { tag: "beyond the range is held, not wrapped", text: "3000000", ms: 2147483647 },
                { tag: "far below", text: "-3000000", ms: -2147483648 },
                { tag: "infinite", text: "Infinity", ms: 0 },
                { tag: "1e400", text: "1e400", ms: 0 }
            ];
        }
        function test_fade_texts(data) {
            const tool = open({ effectModel: sources });
            tool.fadeIn = data.text;
            tool.fadeOut = data.text;
            const sent = request(tool);
            compare(sent[9], data.ms);
            compare(sent[10], data.ms);
        }

        function test_repeats_and_arguments() {
            const tool = open({ effectModel: sources, outputPathsModel: paths });
            const once = request(tool);
            compare(once[0], "create");
            compare(once.slice(1, 6), ["Thunder", "PATH0", 0, "thunder", 0]);
            compare(once[8], 50);
            compare(once[11], 0);
            tool.visible = true;
            tool.loop = true;
            tool.reverb = 42.9;
            tool.pan = 62.5;
            const looped = request(tool);
            compare(looped[11], -1);
            compare(looped[8], 42);
            compare(looped[7], 62.5);
        }

        function test_gain_table_and_read_out_data() {
            return [
                { tag: "top", position: 1.0, gain: 1.0, readOut: "Value: 0.0 dB" },
                { tag: "zero mark", position: 0.7866278611, gain: 0.501187, readOut: "Value: -6.0 dB" },
                { tag: "start value", position: 0.5, gain: 0.136008, readOut: "Value: -17.3 dB" },
                { tag: "bottom", position: 0.04076220398, gain: 0.0001, readOut: "Value: -80.0 dB" }
            ];
        }
        function test_gain_table_and_read_out(data) {
            const tool = open({ effectModel: sources });
            if (data.tag !== "start value")
                tool.volume = data.position;
            compare(child(tool, "volumeSlider").toolTip.text, data.readOut);
            fuzzyCompare(request(tool)[6], data.gain, 0.000001);
        }

        function test_typed_levels_and_snap_data() {
            return [
                { tag: "-100 ends at the bottom", typed: "-100", position: 0.04076220398 },
                { tag: "+3 ends at the top", typed: "3", position: 1.0 },
                { tag: "-5.5 snaps to -6", typed: "-5.5", position: 0.7866278611 },
                { tag: "-7 stays", typed: "-7", position: Math.exp(-7 / 25) }
            ];
        }
        function test_typed_levels_and_snap(data) {
            const tool = open({ effectModel: sources });
            const slider = child(tool, "volumeSlider");
            slider.openValuePopup();
            tryVerify(() => slider.valuePopup.opened);
            findChild(slider.valuePopup.contentItem, "valueField").text = data.typed;
            slider.acceptTypedValue();
            fuzzyCompare(tool.volume, data.position, 0.0000001);
        }

        function test_arrow_step_at_the_zero_mark_returns_to_it() {
            const tool = open({ effectModel: sources, volume: 0.7866278611 });
            const slider = child(tool, "volumeSlider");
            slider.forceActiveFocus();
            keyClick(Qt.Key_Right);
            compare(tool.volume, 0.7866278611);
            // The tool tip shows while the slider holds the focus.
            tryVerify(() => slider.toolTip.visible, 3000);
        }

        function test_pan_snap_data() {
            return [
                { tag: "52.5 snaps", value: 52.5, after: 50 },
                { tag: "53 stays", value: 53, after: 53 },
                { tag: "47.01 snaps", value: 47.01, after: 50 }
            ];
        }
        function test_pan_snap(data) {
            const tool = open({ effectModel: sources });
            const slider = child(tool, "panSlider");
            slider.value = data.value;
            slider.moved();
            compare(tool.pan, data.after);
            compare(findChild(slider, "panToolTip").text, "Value: " + data.after.toFixed(2));
        }

        function test_name_follows_the_source_until_typed() {
            const tool = open({ effectModel: sources });
            compare(tool.name, "Thunder");
            tool.effectIdIndex = 1;
            compare(tool.name, "Doorbell");
            typeInto(tool, "nameField", "Bell");
            verify(tool.isNameDirty);
            tool.effectIdIndex = 0;
            compare(tool.name, "Bell");
            // OK and Cancel keep the typed name; closing the window gives it back to the source.
            compare(request(tool)[1], "Bell");
            tool.visible = true;
            tool.pressCancel();
            compare(tool.name, "Bell");
            tool.visible = true;
            tool.close();
            verify(!tool.isNameDirty);
            compare(tool.name, "Thunder");
        }

        function test_empty_source_list() {
            const tool = open({ effectModel: noSources });
            compare(tool.name, "");
            const sent = request(tool);
            compare(sent.slice(1, 6), ["", "", -1, "", -1]);
        }

        function test_titles_and_signals_by_mode_data() {
            return [
                { tag: "create", isEdit: false, title: "Create Instance", signal: "create" },
                { tag: "edit", isEdit: true, title: "Edit Instance", signal: "change" }
            ];
        }
        function test_titles_and_signals_by_mode(data) {
            const tool = open({ effectModel: sources, isEdit: data.isEdit, eventId: data.isEdit ? "Q4" : "" });
            compare(tool.title, data.title);
            compare(findChild(child(tool, "eventIdLabel"), "idText").text, data.isEdit ? "Q4" : "(none)");
            heard = [];
            request(tool);
            compare(heard.map(h => h[0]), [data.signal, "closing"]);
            verify(!tool.visible);
        }

        function test_keys_confirm_and_cancel() {
            const tool = open({ effectModel: sources });
            tryVerify(() => tool.mainColumn.activeFocus);
            child(tool, "fadeInField").forceActiveFocus();
            keyClick(Qt.Key_Return);
            compare(heard.map(h => h[0]), ["create", "closing"]);
            tool.visible = true;
            tryVerify(() => tool.active);
            heard = [];
            keyClick(Qt.Key_Escape);
            compare(heard.map(h => h[0]), ["closing"]);
        }

        function test_close_button_path() {
            const tool = open({ effectModel: sources });
            tool.isNameDirty = true;
            heard = [];
            tool.close();
            compare(heard, [["closing"]]);
            verify(!tool.isNameDirty);
        }

        function test_output_path_by_name_data() {
            return [
                { tag: "a row's id", name: "PATH1", index: 1, path: "PATH1" },
                { tag: "no such id", name: "PATH9", index: -1, path: "" },
                { tag: "a number text", name: "1", index: -1, path: "" }
            ];
        }
        function test_output_path_by_name(data) {
            const tool = open({ effectModel: sources, outputPathsModel: paths });
            tool.setOutputPathIndexFromName(data.name);
            compare(tool.outputPathIndex, data.index);
            compare(tool.outputPath, data.path);
            compare(request(tool)[2], data.path);
        }

        function test_size_is_fixed_from_the_column() {
            const tool = open({ effectModel: sources });
            verify(Math.abs(tool.width - (tool.mainColumn.implicitWidth + 50)) < 1);
            verify(Math.abs(tool.height - (tool.mainColumn.implicitHeight + 50)) < 1);
            compare(tool.minimumWidth, tool.maximumWidth);
            compare(tool.minimumHeight, tool.maximumHeight);
            // The hidden rows take no cells: Output Path and Reverb are not laid out.
            verify(!child(tool, "pathCombo").visible);
            verify(!child(tool, "reverbSlider").visible);
        }
    }

    TestCase {
        name: "SfxPropertyTool"
        when: windowShown

        property var heard: []
        property var shown: []

        function cleanup() {
            for (const w of shown)
                w.visible = false;
            shown = [];
            heard = [];
        }

        function open(props) {
            const tool = createTemporaryObject(customComponent, stage, props || {});
            verify(tool);
            tool.updateCustomAudioEntry.connect(function () { heard.push(["update"].concat(Array.from(arguments))); });
            tool.toolClosing.connect(() => heard.push(["closing"]));
            shown.push(tool);
            tool.visible = true;
            tryVerify(() => tool.active, 5000);
            waitForRendering(tool.contentItem);
            return tool;
        }

        function child(tool, name) {
            return findChild(tool.contentItem, name);
        }

        function test_untouched_ok() {
            const tool = open();
            const initialUrl = String(child(tool, "fileInput").fileUrl);
            verify(initialUrl.endsWith("/molecules/"), initialUrl);
            const slider = child(tool, "volumeSlider");
            compare(slider.toolTip.text, "Value: -6.0 dB");
            tool.pressOk();
            compare(heard.map(h => h[0]), ["update", "closing"]);
            const sent = heard[0];
            compare(String(sent[1]), initialUrl);
            compare(sent[2], 0);
            fuzzyCompare(sent[3], 0.501187, 0.000001);
            compare(sent[4], 50);
            compare([sent[5], sent[6]], [0, 0]);
            compare(sent[7], false);
            compare(typeof sent[7], "boolean");
            verify(!tool.visible);
        }

        function test_stop_loop_and_fades() {
            const tool = open({ fadeIn: "0.25", fadeOut: "3000000", loop: true });
            tool.commandIndex = 1;
            compare(findChild(tool.contentItem, "commandCombo").displayText, "Stop");
            tool.pressOk();
            const sent = heard[0];
            compare(sent[2], 1);
            compare([sent[5], sent[6]], [250, 2147483647]);
            compare(sent[7], true);
        }

        function test_volume_tool_tip_only_on_hover() {
            const tool = open();
            const slider = child(tool, "volumeSlider");
            slider.forceActiveFocus();
            verify(!slider.toolTip.visible);
            mouseMove(slider, slider.width / 3, slider.height / 2);
            tryVerify(() => slider.toolTip.visible, 3000);
        }

        function test_mode_switch() {
            const tool = open({ isEdit: true, eventId: "R2" });
            compare(tool.title, "Custom Audio Parameters");
            verify(child(tool, "fileInput").visible);
            verify(!child(tool, "sourceCombo").visible);
            verify(!child(tool, "eventIdLabel").visible);
            tool.usesCustomAudioFile = false;
            tool.effectModel = sources;
            verify(!child(tool, "fileInput").visible);
            verify(child(tool, "sourceCombo").visible);
            verify(child(tool, "eventIdLabel").visible);
            tool.effectIdIndex = 1;
            tool.pressOk();
            // Nothing of the chosen source travels with the update.
            compare(heard[0].length, 8);
            verify(String(heard[0][1]).endsWith("/molecules/"));
        }

        function test_cancel_and_close_only_close() {
            const tool = open();
            tool.isNameDirty = true;
            child(tool, "buttonRow").cancelClicked();
            compare(heard, [["closing"]]);
            verify(!tool.isNameDirty);
            verify(!tool.visible);
            tool.visible = true;
            heard = [];
            tool.close();
            compare(heard, [["closing"]]);
        }

        function test_keys_only_through_the_button_row() {
            const tool = open();
            child(tool, "fadeInField").forceActiveFocus();
            keyClick(Qt.Key_Return);
            compare(heard, []);
            child(tool, "buttonRow").okButton.forceActiveFocus();
            keyClick(Qt.Key_Return);
            compare(heard.map(h => h[0]), ["update", "closing"]);
        }
    }
}
