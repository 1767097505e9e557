import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui

// The active-audio list over a ListModel host that answers playTrack and stopTrack.
Item {
    id: stage
    width: 400
    height: 400

    Component {
        id: modelComponent
        ListModel {
            property var requests: []

            function playTrack(playerId) {
                requests.push("play:" + playerId);
            }
            function stopTrack(playerId, isUrgent) {
                requests.push("stop:" + playerId + ":" + isUrgent);
            }

            // "id" cannot be a ListElement role name: the rows come in by script.
            Component.onCompleted: {
                append({ id: 7, name: "Thunder", isPlaying: true, isPinned: false, progress: 0.25, duration: 200 });
                append({ id: 8, name: "", isPlaying: false, isPinned: false, progress: 0, duration: 0 });
            }
        }
    }

    Component {
        id: spyComponent
        SignalSpy {
        }
    }

    Component {
        id: listComponent
        ActiveAudioList {
            width: 360
            height: 300
        }
    }

    TestCase {
        name: "ActiveAudioList"
        when: windowShown

        function makeList() {
            const model = createTemporaryObject(modelComponent, stage);
            const list = createTemporaryObject(listComponent, stage, { model: model });
            verify(list);
            waitForRendering(list);
            tryVerify(() => findChild(list.list, "activeAudioRow_1") !== null);
            return list;
        }

        function row(list, index) {
            return findChild(list.list, "activeAudioRow_" + index);
        }

        function test_format_time_data() {
            return [
                { tag: "75.9", time: 75.9, text: "1:15" },
                { tag: "5", time: 5, text: "0:05" },
                { tag: "600", time: 600, text: "10:00" },
                { tag: "0", time: 0, text: "0:00" }
            ];
        }
        function test_format_time(data) {
            const list = makeList();
            compare(row(list, 0).formatTime(data.time), data.text);
        }

        function test_texts() {
            const list = makeList();
            compare(row(list, 0).timeText, "0:50 / 3:20");
            compare(row(list, 0).nameText, "Thunder");
            compare(row(list, 1).timeText, "0:00 / 0:00");
            compare(row(list, 1).nameText, "Name not set");
        }

        function test_rows_are_narrower_by_the_scroll_bar() {
            const list = makeList();
            verify(list.scrollBar.visible);
            compare(row(list, 0).width, list.width - 20);
            compare(row(list, 0).height, 40);
        }

        function test_seek_thresholds_data() {
            return [
                { tag: "0.3 % seeks to the start", at: 0.003, progress: 0 },
                { tag: "99.8 % seeks to the end", at: 0.998, progress: 1 },
                { tag: "the middle", at: 0.5, progress: 0.5 }
            ];
        }
        function test_seek_thresholds(data) {
            const list = makeList();
            const spy = createTemporaryObject(spyComponent, stage,
                                              { target: list, signalName: "setPosition" });
            const area = row(list, 0).background;
            mouseClick(area, data.at * area.width, area.height / 2);
            compare(spy.count, 1);
            compare(spy.signalArguments[0][0], 7);
            fuzzyCompare(spy.signalArguments[0][1], data.progress, 0.01);
            fuzzyCompare(list.model.get(0).progress, data.progress, 0.01);
            if (data.tag === "the middle")
                compare(row(list, 0).timeText, "1:40 / 3:20");
        }

        function test_no_seek_without_a_duration() {
            const list = makeList();
            let heard = 0;
            list.setPosition.connect(() => ++heard);
            const area = row(list, 1).background;
            mouseClick(area, area.width / 2, area.height / 2);
            compare(heard, 0);
            compare(list.model.get(1).progress, 0);
        }

        function test_play_button_asks_the_model() {
            const list = makeList();
            const playing = row(list, 0).playButton;
            mouseClick(playing, 14, 14);
            compare(list.model.requests, ["stop:7:false"]);
            // The symbol waits for the model.
            verify(playing.playing);
            list.model.setProperty(0, "isPlaying", false);
            verify(!playing.playing);
            mouseClick(row(list, 1).playButton, 14, 14);
            compare(list.model.requests, ["stop:7:false", "play:8"]);
        }

        function test_pin_twice_returns_to_the_start() {
            const list = makeList();
            const r = row(list, 0);
            const pin = findChild(r, "pinMouse");
            verify(r.pinOverlay.visible);
            mouseClick(pin);
            verify(list.model.get(0).isPinned);
            verify(!r.pinOverlay.visible);
            // The pointer entering a pinned pin offers to unpin (the offscreen platform keeps no
            // hover between test moves, so the pin's enter and leave are raised directly).
            pin.entered();
            compare(String(r.pinImage.source), "qrc:/images/keep_off.svg");
            mouseClick(pin);
            verify(!list.model.get(0).isPinned);
            verify(r.pinOverlay.visible);
            compare(String(r.pinImage.source), "qrc:/images/keep.svg");
            pin.entered();
            compare(String(r.pinImage.source), "qrc:/images/keep.svg");
            pin.exited();
            compare(String(r.pinImage.source), "qrc:/images/keep.svg");
        }
    }
}
