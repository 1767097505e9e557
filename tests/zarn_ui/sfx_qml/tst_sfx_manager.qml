import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui

// The sound-effect manager window over ListModel hosts: selection, enablement, audition and
// the host's sfxFinished, keys and closing. Every signal is recorded in the order it came.
Item {
    id: stage
    width: 300
    height: 200

    Component {
        id: sourcesComponent
        ListModel {
            ListElement { sfxid: "thunder"; displayname: "Thunder" }
            ListElement { sfxid: "doorbell"; displayname: "Doorbell" }
        }
    }

    Component {
        id: instancesComponent
        ListModel {
            ListElement { eventId: "Q1"; summary: "Thunder, long"; isReady: true }
            ListElement { eventId: "Q2"; summary: "Thunder, short"; isReady: true }
            ListElement { eventId: "Q3"; summary: "Thunder, lost file"; isReady: false }
        }
    }

    Component {
        id: emptyComponent
        ListModel {
        }
    }

    Component {
        id: windowComponent
        SfxManagerTool {
        }
    }

    TestCase {
        name: "SfxManagerTool"
        when: windowShown

        property var heard: []
        property var window: null

        function cleanup() {
            if (window)
                window.visible = false;
            window = null;
            heard = [];
        }

        // The window as a host opens it: created (it shows itself), models set, signals heard.
        function open(sourceModel, instanceModel, instancesFirst) {
            const win = createTemporaryObject(windowComponent, stage);
            verify(win);
            window = win;
            for (const name of ["playSfx", "stopSfx", "addSoundEffectInstanceClicked", "editSoundEffectInstanceClicked",
                                "deleteSoundEffectInstanceClicked", "soundEffectSelected"]) {
                win[name].connect(arg => heard.push(name + ":" + arg));
            }
            win.playStateUpdated.connect(() => heard.push("playStateUpdated"));
            win.requestClose.connect(() => heard.push("requestClose"));
            if (instancesFirst) {
                win.soundEffectInstancesModel = instanceModel;
                win.availableSoundEffectsModel = sourceModel;
            } else {
                win.availableSoundEffectsModel = sourceModel;
                win.soundEffectInstancesModel = instanceModel;
            }
            tryVerify(() => win.active, 5000, "the window is active");
            waitForRendering(win.contentItem);
            return win;
        }

        function openFull(instancesFirst) {
            return open(createTemporaryObject(sourcesComponent, stage), createTemporaryObject(instancesComponent, stage),
                        instancesFirst);
        }

        function instanceRow(win, eventId) {
            return findChild(win.instanceList, "instanceRow_" + eventId);
        }

        function clickName(win, eventId) {
            const row = instanceRow(win, eventId);
            mouseClick(row, 20, row.height / 2);
        }

        function clickPlay(win, eventId) {
            const button = findChild(instanceRow(win, eventId), "playButton");
            mouseClick(button, button.width / 2, button.height / 2);
        }

        function expectButtons(win, states) {
            tryVerify(() => JSON.stringify(buttonStates(win)) === JSON.stringify(states), 3000,
                      "buttons " + JSON.stringify(states) + ", not " + JSON.stringify(buttonStates(win)));
        }

        function buttonStates(win) {
            return [win.createButton.enabled, win.editButton.enabled, win.deleteButton.enabled, win.closeButton.enabled];
        }

        function test_first_rows_become_current_data() {
            return [
                { tag: "sources then instances", instancesFirst: false, instance: "Q1" },
                { tag: "instances then sources", instancesFirst: true, instance: "" }
            ];
        }
        function test_first_rows_become_current(data) {
            const win = openFull(data.instancesFirst);
            compare(win.title, "SFX Manager");
            compare(win.selectedSfxEffectId, "thunder");
            compare(win.selectedSfxInstanceEventId, data.instance);
            verify(heard.indexOf("soundEffectSelected:0") !== -1);
            compare(win.playing, []);
        }

        function test_columns_keep_forty_to_sixty() {
            const win = openFull(false);
            const sources = findChild(win.contentItem, "sourceColumn");
            const instances = findChild(win.contentItem, "instanceColumn");
            fuzzyCompare(sources.width / instances.width, 40 / 60, 0.01);
            fuzzyCompare(sources.width + instances.width + 10, win.width - 30, 1);
            const strip = findChild(win.contentItem, "buttonStrip");
            compare(strip.height, 50);
            fuzzyCompare(strip.width, instances.width, 1);
            // Rows are as wide as their list less its scroll bar.
            compare(instanceRow(win, "Q1").width, win.instanceList.width - 20);
        }

        function test_enablement_follows_sources_selection_and_playing() {
            const win = open(createTemporaryObject(emptyComponent, stage), createTemporaryObject(emptyComponent, stage));
            expectButtons(win, [false, false, false, true]);
            win.availableSoundEffectsModel = createTemporaryObject(sourcesComponent, stage);
            expectButtons(win, [true, false, false, true]);
            win.soundEffectInstancesModel = createTemporaryObject(instancesComponent, stage);
            expectButtons(win, [true, true, true, true]);
            win.addToPlaying("Q2");
            expectButtons(win, [false, false, false, true]);
            win.removeFromPlaying("Q2");
            expectButtons(win, [true, true, true, true]);
        }

        function test_play_button_toggles_and_leaves_selection() {
            const win = openFull(false);
            heard = [];
            clickPlay(win, "Q2");
            compare(heard, ["playSfx:Q2", "playStateUpdated"]);
            compare(win.playing, ["Q2"]);
            const face = findChild(instanceRow(win, "Q2"), "playButton");
            verify(face.playing);
            // The row shows the red square (the picture is of the manager's own window).
            const centre = face.mapToItem(null, 12, 12);
            tryVerify(() => {
                const c = grabImage(win.contentItem).pixel(centre.x, centre.y);
                return c.r > 0.9 && c.g < 0.1;
            }, 3000, "the stop symbol is drawn");
            compare(win.selectedSfxInstanceEventId, "Q1");
            // Others can still start; the buttons stay off while anything plays.
            clickPlay(win, "Q1");
            compare(win.playing, ["Q2", "Q1"]);
            expectButtons(win, [false, false, false, true]);
            heard = [];
            clickPlay(win, "Q2");
            compare(heard, ["stopSfx:Q2", "playStateUpdated"]);
            compare(win.playing, ["Q1"]);
            verify(!findChild(instanceRow(win, "Q2"), "playButton").playing);
        }

        function test_sfx_finished_from_the_host_data() {
            return [
                { tag: "a playing row", id: "Q1", playing: ["Q1", "Q2"], after: ["Q2"], updates: 1 },
                { tag: "a row not playing", id: "Q3", playing: ["Q1"], after: ["Q1"], updates: 1 },
                { tag: "no such row", id: "Q9", playing: ["Q1"], after: ["Q1"], updates: 0 },
                { tag: "every copy of the id", id: "Q1", playing: ["Q1", "Q1"], after: [], updates: 1 }
            ];
        }
        function test_sfx_finished_from_the_host(data) {
            const win = openFull(false);
            win.playing = data.playing;
            heard = [];
            win.sfxFinished(data.id);
            compare(win.playing, data.after);
            compare(heard.filter(h => h === "playStateUpdated").length, data.updates);
        }

        function test_buttons_emit_in_order() {
            const win = openFull(false);
            clickName(win, "Q2");
            win.playing = ["Q1"];
            win.playing = [];
            heard = [];
            mouseClick(win.editButton);
            compare(heard, ["stopSfx:Q2", "editSoundEffectInstanceClicked:Q2", "playStateUpdated"]);
            compare(win.selectedSfxInstanceEventId, "Q2");
            heard = [];
            mouseClick(win.createButton);
            compare(heard, ["addSoundEffectInstanceClicked:thunder", "playStateUpdated"]);
            heard = [];
            mouseClick(win.deleteButton);
            compare(heard, ["stopSfx:Q2", "deleteSoundEffectInstanceClicked:Q2", "playStateUpdated"]);
            // The row is still on show, yet nothing is selected until another click.
            compare(win.selectedSfxInstanceEventId, "");
            verify(!win.editButton.enabled);
            clickName(win, "Q2");
            compare(win.selectedSfxInstanceEventId, "Q2");
        }

        function test_clicking_the_selected_instance_emits_nothing() {
            const win = openFull(false);
            heard = [];
            clickName(win, "Q1");
            compare(heard, []);
            clickName(win, "Q2");
            compare(win.selectedSfxInstanceEventId, "Q2");
            compare(win.instanceList.currentIndex, 1);
            verify(win.instanceList.activeFocus);
            compare(heard, ["playStateUpdated", "playStateUpdated"]);
        }

        function test_another_source_empties_the_instance_selection() {
            const win = openFull(false);
            heard = [];
            mouseClick(win.sourceList.itemAtIndex(1), 20, 20);
            compare(win.selectedSfxEffectId, "doorbell");
            compare(heard, ["soundEffectSelected:1"]);
            compare(win.selectedSfxInstanceEventId, "");
            compare(win.instanceList.currentIndex, 0);
            verify(!win.editButton.enabled);
            // A click on the current row selects it again.
            clickName(win, "Q1");
            compare(win.selectedSfxInstanceEventId, "Q1");
        }

        function test_sources_gone_select_nothing() {
            const win = openFull(false);
            heard = [];
            win.availableSoundEffectsModel.clear();
            tryCompare(win, "selectedSfxEffectId", "");
            compare(heard, ["soundEffectSelected:-1"]);
            verify(!win.createButton.enabled);
        }

        function test_double_clicks() {
            const win = openFull(false);
            const row = instanceRow(win, "Q2");
            heard = [];
            mouseDoubleClickSequence(row, 20, row.height / 2);
            compare(heard.filter(h => h.indexOf("edit") === 0 || h.indexOf("stop") === 0),
                    ["stopSfx:Q2", "editSoundEffectInstanceClicked:Q2"]);
            // While an instance plays a double-click edits nothing; a source's still creates.
            win.playing = ["Q1"];
            heard = [];
            mouseDoubleClickSequence(row, 20, row.height / 2);
            compare(heard.filter(h => h.indexOf("edit") === 0), []);
            mouseDoubleClickSequence(win.sourceList.itemAtIndex(0), 20, 20);
            verify(heard.indexOf("addSoundEffectInstanceClicked:thunder") !== -1);
            compare(win.playing, ["Q1"]);
        }

        function test_a_row_not_ready_takes_no_mouse_but_keys_reach_it() {
            const win = openFull(false);
            heard = [];
            clickName(win, "Q3");
            clickPlay(win, "Q3");
            compare(heard, []);
            compare(win.playing, []);
            win.instanceList.forceActiveFocus();
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Down);
            compare(win.selectedSfxInstanceEventId, "Q3");
            heard = [];
            keyClick(Qt.Key_Space);
            compare(heard, ["stopSfx:Q3", "editSoundEffectInstanceClicked:Q3", "playStateUpdated"]);
        }

        function test_space_and_tab_in_the_lists() {
            const win = open(createTemporaryObject(emptyComponent, stage), createTemporaryObject(emptyComponent, stage));
            win.sourceList.forceActiveFocus();
            heard = [];
            keyClick(Qt.Key_Space);
            compare(heard, ["addSoundEffectInstanceClicked:", "playStateUpdated"]);
            keyClick(Qt.Key_Tab);
            verify(win.instanceList.activeFocus);
            heard = [];
            keyClick(Qt.Key_Space);
            compare(heard, ["stopSfx:", "editSoundEffectInstanceClicked:", "playStateUpdated"]);
            win.sourceList.forceActiveFocus();
            keyClick(Qt.Key_Backtab, Qt.ShiftModifier);
            verify(win.closeButton.activeFocus);
        }

        function test_space_while_playing_still_asks_and_keeps_playing() {
            const win = openFull(false);
            win.playing = ["Q1"];
            win.instanceList.forceActiveFocus();
            heard = [];
            keyClick(Qt.Key_Space);
            compare(heard, ["stopSfx:Q1", "editSoundEffectInstanceClicked:Q1", "playStateUpdated"]);
            compare(win.playing, ["Q1"]);
        }

        function test_closing_keys_data() {
            return [
                { tag: "Escape from the sources", list: "sourceList", key: Qt.Key_Escape, mods: Qt.NoModifier, closes: true },
                { tag: "Escape from the instances", list: "instanceList", key: Qt.Key_Escape, mods: Qt.NoModifier, closes: true },
                { tag: "Return", list: "instanceList", key: Qt.Key_Return, mods: Qt.NoModifier, closes: true },
                { tag: "keypad Enter", list: "sourceList", key: Qt.Key_Enter, mods: Qt.KeypadModifier, closes: false }
            ];
        }
        function test_closing_keys(data) {
            const win = openFull(false);
            win[data.list].forceActiveFocus();
            heard = [];
            keyClick(data.key, data.mods);
            compare(heard.indexOf("requestClose") !== -1, data.closes);
            compare(win.visible, !data.closes);
        }

        function test_every_close_requests_close_and_keeps_state() {
            const win = openFull(false);
            win.playing = ["Q2"];
            heard = [];
            mouseClick(win.closeButton);
            compare(heard, ["requestClose"]);
            verify(!win.visible);
            compare(win.playing, ["Q2"]);
            win.visible = true;
            heard = [];
            win.close();
            compare(heard, ["requestClose"]);
            compare(win.selectedSfxInstanceEventId, "Q1");
        }

        function test_missing_roles_show_empty_texts() {
            const win = open(createTemporaryObject(emptyComponent, stage), createTemporaryObject(emptyComponent, stage));
            win.availableSoundEffectsModel.append({ sfxid: "a" });
            win.soundEffectInstancesModel.append({ eventId: "Q7" });
            waitForRendering(win.contentItem);
            compare(findChild(win.sourceList.itemAtIndex(0), "sourceLabel").text, "");
            compare(findChild(instanceRow(win, "Q7"), "summaryLabel").text, "");
            tryCompare(win, "selectedSfxEffectId", "a");
        }
    }
}
