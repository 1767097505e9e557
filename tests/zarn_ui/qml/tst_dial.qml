import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 300
    height: 200

    Component {
        id: dialComponent
        ZarnCustomDial {
            property var movedValues: []
            x: 100
            y: 80
            onMoved: movedValues.push(value)
        }
    }

    TestCase {
        name: "ZarnCustomDial"
        when: windowShown

        function makeDial(props) {
            const dial = createTemporaryObject(dialComponent, stage, props ?? {});
            verify(dial);
            return dial;
        }

        function test_defaultsAndLook() {
            const dial = makeDial();
            compare(dial.width, 25);
            compare(dial.height, 25);
            compare(dial.value, 0);
            compare(dial.from, -1);
            compare(dial.to, 1);
            compare(dial.inputMode, Dial.Horizontal);
            const body = findChild(dial, "dialBody");
            compare(body.width, 25);
            compare(body.color, Qt.color("#69696a"));
            verify(!findChild(dial, "ctrlDisc").visible);
            dial.ctrlPressed = true;
            verify(findChild(dial, "ctrlDisc").visible);
            dial.enabled = false;
            compare(body.opacity, 0.3);
            const notch = findChild(dial, "notch");
            verify(notch.visible);
            // Only min(w, h) / 8 of the notch stands out above the body.
            compare(-notch.y, 25 / 8);
            compare(notch.z, -50);
            dial.showZeroMark = false;
            verify(!notch.visible);
        }

        function test_labels() {
            const dial = makeDial();
            const left = findChild(dial, "leftLabel");
            const right = findChild(dial, "rightLabel");
            compare(left.text, "L");
            compare(right.text, "R");
            compare(left.x, 0);
            compare(right.x, dial.width - left.width);
            compare(left.font.pixelSize, 7);
            compare(left.y + left.height / 2, dial.height);
            compare(left.color, Qt.color("white"));
        }

        function test_snap_data() {
            return [
                { tag: "0.08 snaps to the centre", value: 0.08, expected: 0 },
                { tag: "-0.08 snaps to the centre", value: -0.08, expected: 0 },
                { tag: "0.1 stays (exactly on the tolerance)", value: 0.1, expected: 0.1 },
                { tag: "-0.1 stays", value: -0.1, expected: -0.1 },
                { tag: "0.5 stays", value: 0.5, expected: 0.5 },
            ];
        }
        function test_snap(data) {
            const dial = makeDial();
            dial.value = data.value;
            dial.moved();
            compare(dial.value, data.expected);
            compare(dial.movedValues, [data.expected], "the holder reads the snapped value");
        }

        function test_noSnapWithoutZeroMark() {
            const dial = makeDial({ showZeroMark: false });
            dial.value = 0.08;
            dial.moved();
            compare(dial.value, 0.08);
        }

        function test_horizontalDragTurnsTheDial() {
            const dial = makeDial({ value: -0.8 });
            mousePress(dial, 12, 12);
            for (let i = 1; i <= 10; ++i)
                mouseMove(dial, 12 + i * 3, 12);
            mouseRelease(dial, 42, 12);
            verify(dial.movedValues.length > 0);
            verify(dial.value > -0.8, "a drag to the right turns the dial right");
            // Dragging straight down does not turn it.
            const before = dial.value;
            mousePress(dial, 12, 12);
            for (let j = 1; j <= 10; ++j)
                mouseMove(dial, 12, 12 + j * 3);
            mouseRelease(dial, 12, 42);
            compare(dial.value, before);
        }
    }
}
