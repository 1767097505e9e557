import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 500
    height: 300

    Component {
        id: meterComponent
        VolumeIndicatorSegmented {
            width: 200
            height: 20
            segments: 10
        }
    }

    Component {
        id: waitComponent
        WaitIndicator {
        }
    }

    Component {
        id: progressComponent
        FlatProgressBar {
            width: 300
        }
    }

    TestCase {
        name: "Indicators"
        when: windowShown

        function makeMeter(value, props) {
            const meter = createTemporaryObject(meterComponent, stage, props ?? {});
            verify(meter);
            meter.value = value;
            return meter;
        }

        function litWidths(meter) {
            const widths = [];
            for (let i = 0; i < meter.segments; ++i) {
                const lit = meter.segmentAt(i).litPart;
                widths.push(lit.visible ? lit.width : 0);
            }
            return widths;
        }

        function test_meterSegmentsAndReadout_data() {
            return [
                { tag: "0: nothing lit", value: 0, lit: 0, readout: "-\u221E dB" },
                { tag: "negative reads as silence", value: -0.5, lit: 0, readout: "-\u221E dB" },
                { tag: "not a number reads as silence", value: NaN, lit: 0, readout: "-\u221E dB" },
                { tag: "1: all lit", value: 1, lit: 10, readout: "0 dB" },
                { tag: "2: all lit", value: 2, lit: 10, readout: "6 dB" },
                { tag: "0.1", value: 0.1, lit: 4, readout: "-20 dB" },
            ];
        }
        function test_meterSegmentsAndReadout(data) {
            const meter = makeMeter(data.value);
            compare(findChild(meter, "readout").text, data.readout);
            const widths = litWidths(meter);
            const segmentWidth = meter.segmentAt(0).width;
            let full = 0;
            for (const w of widths)
                if (Math.abs(w - segmentWidth) < 1e-9)
                    ++full;
            compare(full, data.lit);
            if (data.lit === 0 || data.lit === 10)
                compare(widths.filter(w => w > 0).length, data.lit);
        }

        function test_meterHalf() {
            const meter = makeMeter(0.5);
            compare(findChild(meter, "readout").text, "-6 dB");
            const f = Math.pow(0.5, 0.8 / Math.LN10);
            fuzzyCompare(meter.fillFraction, f, 1e-12);
            fuzzyCompare(f, 0.786, 0.001);
            const W = findChild(meter, "segmentBar").width;
            const s = meter.spacing;
            const widths = litWidths(meter);
            const segmentWidth = meter.segmentAt(0).width;
            for (let i = 0; i <= 6; ++i)
                fuzzyCompare(widths[i], segmentWidth, 1e-9);
            fuzzyCompare(widths[7], (f - 0.7) * (W - 9 * s), 1e-9);
            compare(widths[8], 0);
            compare(widths[9], 0);
            // The colours shade from startColor; no segment reaches endColor.
            compare(meter.segmentAt(0).litPart.color, Qt.color("green"));
            const start = Qt.color("green");
            const end = Qt.color("lightgreen");
            const c7 = meter.segmentAt(7).litPart.color;
            fuzzyCompare(c7.g, start.g + (end.g - start.g) * 0.7, 0.01);
        }

        function test_meterSpacingAndRadius() {
            // Default 8 px segments: spacing the larger of 1 and 5 % of W / N rounded up; radius 1.
            const meter = createTemporaryObject(meterComponent, stage, { segments: 8, width: 104 });
            const W = findChild(meter, "segmentBar").width;
            compare(meter.radius, 1);
            compare(meter.spacing, Math.max(1, Math.ceil(W / 8 * 0.05)));
            compare(meter.spacing, 1);
            meter.width = 800;
            compare(meter.spacing, Math.ceil(findChild(meter, "segmentBar").width / 8 * 0.05));
            verify(meter.spacing > 1);
            const segmentWidth = meter.segmentAt(0).width;
            fuzzyCompare(segmentWidth, (findChild(meter, "segmentBar").width - meter.spacing * 8) / 8, 1e-9);
        }

        function test_waitIgnoresNonPositiveTimes_data() {
            return [
                { tag: "zero", time: 0 },
                { tag: "negative", time: -3 },
                { tag: "not a number", time: NaN },
            ];
        }
        function test_waitIgnoresNonPositiveTimes(data) {
            const wait = createTemporaryObject(waitComponent, stage);
            wait.start(data.time);
            verify(!wait.visible);
            verify(!wait.timer.running);
            compare(wait.totalTime, 10);
        }

        function test_waitTiming() {
            const wait = createTemporaryObject(waitComponent, stage);
            compare(wait.width, 32);
            verify(!wait.visible);
            const before = Date.now();
            wait.start(2);
            verify(wait.visible);
            verify(wait.timer.running);
            compare(wait.timer.interval, 50);
            compare(wait.totalTime, 2);
            verify(wait.startTime >= before && wait.startTime <= Date.now());
            compare(wait.progress, 0, "a start resets nothing before the first tick");

            // Half the time has passed: the pie stands at half a turn.
            wait.startTime = Date.now() - 1000;
            tryVerify(() => wait.progress >= 0.5 && wait.progress < 0.75, 1000);
            fuzzyCompare(wait.angle, wait.progress * 360, 1e-9);
            verify(wait.visible);

            // A second start while running extends the same wait from its first start.
            const firstStart = wait.startTime;
            wait.start(5);
            compare(wait.startTime, firstStart);
            compare(wait.totalTime, 5);
            tryVerify(() => wait.progress > 0.19 && wait.progress < 0.3, 1000);
            verify(wait.visible);

            // At the first tick at or after the end, it stops and hides.
            wait.startTime = Date.now() - 5000;
            tryCompare(wait, "visible", false, 1000);
            compare(wait.progress, 1);
            compare(wait.angle, 360);
            verify(!wait.timer.running);
        }

        function test_waitRestartTakesNewStartTime() {
            const wait = createTemporaryObject(waitComponent, stage);
            wait.start(1);
            wait.startTime = 1000;
            wait.stop();
            verify(!wait.visible);
            wait.start(1);
            verify(wait.startTime > 1000);
            verify(wait.visible);
            wait.stop();
        }

        function test_waitPieFillsClockwiseFrom12() {
            const wait = createTemporaryObject(waitComponent, stage);
            wait.start(10);
            wait.timer.stop(); // hold the drawing still
            wait.angle = 90;
            findChild(wait, "pie").requestPaint();
            wait.visible = true;
            waitForRendering(wait);
            const image = grabImage(wait);
            // Top-right quarter filled, the other three clear.
            verify(Qt.colorEqual(image.pixel(24, 8), "#219ebc"));
            verify(!Qt.colorEqual(image.pixel(8, 8), "#219ebc"));
            verify(!Qt.colorEqual(image.pixel(8, 24), "#219ebc"));
            verify(!Qt.colorEqual(image.pixel(24, 24), "#219ebc"));
        }

        function tipOf(bar) {
            return findChild(bar, "tip");
        }

        function test_progressTip_data() {
            return [
                { tag: "no tip at 3/64", value: 3 / 64, tipWidth: 0 },
                { tag: "no tip below 3/64", value: 0.02, tipWidth: 0 },
                { tag: "tip just above 3/64", value: 0.05, tipWidth: 0.05 * 64 },
                { tag: "tip at half", value: 0.5, tipWidth: 32 },
                { tag: "tip at the end", value: 1, tipWidth: 64 },
            ];
        }
        function test_progressTip(data) {
            const bar = createTemporaryObject(progressComponent, stage, { value: data.value });
            fuzzyCompare(tipOf(bar).width, data.tipWidth, 1e-9);
            const fill = findChild(bar, "fill");
            fuzzyCompare(fill.width, data.value * bar.contentItem.width, 1e-9);
            compare(bar.background.implicitHeight, 12);
            compare(bar.background.color, Qt.color("#525252"));
        }

        function test_progressTipCorners_data() {
            return [
                { tag: "within 3 px of the start", px: 3, rounded: true },
                { tag: "middle", px: 150, rounded: false },
                { tag: "within 3 px of the end", px: 298, rounded: true },
                { tag: "just outside the end", px: 296, rounded: false },
            ];
        }
        function test_progressTipCorners(data) {
            const bar = createTemporaryObject(progressComponent, stage);
            const barWidth = bar.contentItem.width;
            compare(barWidth, 300);
            bar.value = data.px / barWidth;
            compare(tipOf(bar).radius, data.rounded ? 3 : 0);
        }

        function test_progressGlintRestartsOnChange() {
            const bar = createTemporaryObject(progressComponent, stage, { value: 0.5 });
            // The sheen draws together to the last pixel of the 32-px tip within a second.
            tryCompare(bar, "glintPosition", 31 / 32, 2000);
            bar.value = 0.6;
            verify(bar.glintPosition < 0.5, "a change starts the glint again from 0");
            tryCompare(bar, "glintPosition", (0.6 * 64 - 1) / (0.6 * 64), 2000);
        }
    }
}
