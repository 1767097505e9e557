import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 1600
    height: 200

    Rectangle {
        id: farLeft
        x: 0
        width: 100
        height: 24
        color: "gray"
    }
    Text {
        id: statusLabel
        x: farLeft.x + farLeft.width + 3
        width: grip.desiredWidth
        height: 24
        text: "Status"
    }
    HeaderLabelDrag {
        id: grip
        controlToLeft: statusLabel
        controlToFarLeft: farLeft
    }

    TestCase {
        name: "HeaderLabelDrag"
        when: windowShown

        function init() {
            grip.desiredWidth = 40;
            grip.minWidth = 40;
        }

        function test_placementAndLine() {
            compare(grip.width, 8);
            compare(grip.y, 0);
            compare(grip.x, statusLabel.x + statusLabel.width + grip.colSpacing);
            const line = findChild(grip, "gripLine");
            compare(line.width, 2);
            compare(line.y, 2);
            compare(line.height, statusLabel.height - 4);
            compare(line.color, Qt.color("#3c3c3c"));
        }

        // Drags the grip by dx in small steps; the pointer's x is followed on every step.
        // Stage coordinates, since the grip itself moves under the pointer.
        function dragBy(dx, release) {
            const startX = grip.x + 4;
            const y = 10;
            mousePress(stage, startX, y);
            const steps = 20;
            for (let i = 1; i <= steps; ++i)
                mouseMove(stage, startX + dx * i / steps, y);
            if (release)
                mouseRelease(stage, startX + dx, y);
            return startX + dx;
        }

        function test_dragFollowsPointer() {
            const startX = grip.x;
            const pointerX = dragBy(60, false);
            // grip x − (far-left end) − colSpacing + 1
            const expected = Math.round(grip.x - 100 - 3 + 1);
            verify(grip.x > startX + 30);
            compare(grip.desiredWidth, expected);
            mouseRelease(stage, pointerX, 10);
            compare(grip.desiredWidth, expected);
            // The grip goes back to following the label.
            compare(grip.x, statusLabel.x + statusLabel.width + grip.colSpacing);
        }

        function test_dragHeldAtMinimum() {
            dragBy(-80, true);
            compare(grip.desiredWidth, 40);
            grip.minWidth = 60;
            dragBy(-20, true);
            compare(grip.desiredWidth, 60);
        }

        function test_dragCappedAt1024OnlyWhileDragging() {
            const pointerX = dragBy(1300, false);
            compare(grip.desiredWidth, 1024);
            const raw = Math.round(grip.x - 100 - 3 + 1);
            verify(raw > 1024);
            mouseRelease(stage, pointerX, 10);
            compare(grip.desiredWidth, raw);
        }
    }
}
