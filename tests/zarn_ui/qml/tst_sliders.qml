import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 500
    height: 300

    Component {
        id: sliderComponent
        ZarnCustomSlider {
            property var movedValues: []
            x: 20
            y: 100
            width: 300
            onMoved: movedValues.push(value)
        }
    }

    Component {
        id: volumeComponent
        ZarnCustomVolumeSlider {
            property var movedValues: []
            x: 20
            y: 100
            width: 300
            onMoved: movedValues.push(value)
        }
    }

    TestCase {
        name: "ZarnCustomSlider"
        when: windowShown

        function makeSlider(props) {
            const slider = createTemporaryObject(sliderComponent, stage, props ?? {});
            verify(slider);
            slider.forceActiveFocus();
            return slider;
        }

        function makeVolume(props) {
            const slider = createTemporaryObject(volumeComponent, stage, props ?? {});
            verify(slider);
            slider.forceActiveFocus();
            return slider;
        }

        function test_defaults() {
            const slider = makeSlider();
            compare(slider.value, 0.5);
            compare(slider.from, 0);
            compare(slider.to, 1);
            compare(slider.step, 5.0);
            slider.sliderStep = 0.25;
            compare(slider.step, 0.25);
            compare(slider.customDisplayFunction(0.5), "0.500");
            compare(slider.customInvertFunction("0.25"), 0.25);
            compare(slider.focusPolicy, Qt.StrongFocus);
            verify(slider.isFocused);
        }

        // The snap is strict: a move ending exactly snapTolerance × range from the mark stays.
        function test_snapBoundary_data() {
            return [
                { tag: "exactly on the tolerance, above", start: 8, key: Qt.Key_Left, expected: 3 },
                { tag: "exactly on the tolerance, below", start: -8, key: Qt.Key_Right, expected: -3 },
                { tag: "inside the tolerance", start: 7.9, key: Qt.Key_Left, expected: 0 },
                { tag: "inside the tolerance, below", start: -7.5, key: Qt.Key_Right, expected: 0 },
                { tag: "well outside", start: 20, key: Qt.Key_Left, expected: 15 },
            ];
        }
        function test_snapBoundary(data) {
            // The mixer's tempo-scale slider: -50..50, default step 5.
            const slider = makeSlider({ from: -50, to: 50, zeroMark: 0, value: data.start });
            keyClick(data.key);
            compare(slider.value, data.expected);
            compare(slider.movedValues, [data.expected], "the holder reads the snapped value");
        }

        function test_noSnapWithoutZeroMark() {
            const slider = makeSlider({ from: -50, to: 50, zeroMark: 0, value: 6, showZeroMark: false });
            keyClick(Qt.Key_Left);
            compare(slider.value, 1);
            verify(!findChild(slider.background, "zeroMark").visible);
        }

        function test_arrowKeys_data() {
            return [
                { tag: "default step takes 0..1 to the end", from: 0, to: 1, mark: 0.5, step: 5, start: 0.2, key: Qt.Key_Right, expected: 1 },
                { tag: "default step takes 0..1 to the start", from: 0, to: 1, mark: 0.5, step: 5, start: 0.8, key: Qt.Key_Left, expected: 0 },
                { tag: "tempo scale moves by 5", from: -50, to: 50, mark: 0, step: 5, start: 20, key: Qt.Key_Right, expected: 25 },
                { tag: "small step", from: 0, to: 1, mark: 0.5, step: 0.1, start: 0.2, key: Qt.Key_Right, expected: 0.3 },
            ];
        }
        function test_arrowKeys(data) {
            const slider = makeSlider({ from: data.from, to: data.to, zeroMark: data.mark, value: data.start, step: data.step });
            slider.stepSize = 0.001; // plays no part
            keyClick(data.key);
            fuzzyCompare(slider.value, data.expected, 1e-9);
            compare(slider.movedValues.length, 1);
        }

        function test_leftDragRaisesMovedAndSnaps() {
            const slider = makeSlider();
            // Press next to the mark: the style moves the handle there and the snap pulls it on.
            const x = slider.leftPadding + slider.handle.width / 2 + 0.52 * (slider.availableWidth - slider.handle.width);
            mouseClick(slider, x, slider.height / 2, Qt.LeftButton);
            verify(slider.movedValues.length >= 1);
            compare(slider.value, 0.5);
        }

        function test_zeroMarkPosition() {
            const slider = makeSlider({ from: -50, to: 50, zeroMark: 25 });
            const mark = findChild(slider.background, "zeroMark");
            const track = slider.background;
            const h = slider.handle.width;
            const p = 0.75;
            fuzzyCompare(mark.x, p * track.width - h * (p - 0.5) - 1, 1e-6);
            // The mark's centre is where the handle's centre stands at the mark.
            slider.value = 25;
            const handleCentre = slider.handle.x + h / 2 - track.x;
            fuzzyCompare(mark.x + mark.width / 2, handleCentre, 1e-6);
            compare(mark.y, -7);
            compare(mark.height, 19);
        }

        function test_altRightClick_data() {
            return [
                { tag: "to the zero mark", props: { from: -50, to: 50, zeroMark: 10, value: 40 }, expected: 10 },
                { tag: "hidden mark: to 0", props: { from: -50, to: 50, zeroMark: 10, value: 40, showZeroMark: false }, expected: 0 },
                { tag: "hidden mark, 0 outside the range", props: { from: 1, to: 3, zeroMark: 2, value: 2.5, showZeroMark: false }, expected: 1 },
            ];
        }
        function test_altRightClick(data) {
            const slider = makeSlider(data.props);
            mouseClick(slider, 10, slider.height / 2, Qt.RightButton, Qt.AltModifier);
            compare(slider.value, data.expected);
            compare(slider.movedValues.length, 0);
            verify(!slider.valuePopup.opened);
        }

        function openPopup(slider) {
            mouseClick(slider, slider.width / 2, slider.height / 2, Qt.RightButton);
            tryCompare(slider.valuePopup, "opened", true);
            return findChild(slider.valuePopup.contentItem, "valueField");
        }

        function test_valuePopupShowsAndAccepts() {
            const slider = makeSlider({ value: 0.25 });
            const field = openPopup(slider);
            compare(field.text, "0.250");
            verify(field.field.activeFocus);
            compare(field.field.selectedText, "0.250");
            compare(slider.valuePopup.width, 200);
            compare(slider.valuePopup.height, 50);
            // The field follows the value while open.
            slider.value = 0.75;
            compare(field.text, "0.750");

            field.field.selectAll();
            keyClick(Qt.Key_Backspace);
            keyClick("0");
            keyClick(".");
            keyClick("9");
            compare(field.field.text, "0.9");
            keyClick(Qt.Key_Return);
            tryCompare(slider.valuePopup, "opened", false);
            compare(slider.value, 0.9);
            compare(slider.movedValues, [0.9]);
        }

        function test_valuePopupOkButtonAndSnap() {
            const slider = makeSlider({ value: 0.1 });
            const field = openPopup(slider);
            field.field.text = "0.51";
            mouseClick(findChild(slider.valuePopup.contentItem, "valueOkButton"));
            tryCompare(slider.valuePopup, "opened", false);
            compare(slider.value, 0.5, "a typed value snaps too");
            compare(slider.movedValues, [0.5]);
        }

        function test_valuePopupEscapeKeepsValue() {
            const slider = makeSlider({ value: 0.3 });
            const field = openPopup(slider);
            field.field.text = "0.8";
            keyClick(Qt.Key_Escape);
            tryCompare(slider.valuePopup, "opened", false);
            compare(slider.value, 0.3);
            compare(slider.movedValues.length, 0);
            // Reopening shows the value again, not the abandoned text.
            compare(openPopup(slider).text, "0.300");
        }

        function test_valuePopupPressOutsideKeepsValue() {
            const slider = makeSlider({ value: 0.3 });
            const field = openPopup(slider);
            field.field.text = "0.8";
            mouseClick(stage, 450, 280);
            tryCompare(slider.valuePopup, "opened", false);
            compare(slider.value, 0.3);
        }

        function test_valuePopupRefusesNonNumbers_data() {
            return [
                { tag: "letters", text: "abc" },
                { tag: "empty", text: "" },
            ];
        }
        function test_valuePopupRefusesNonNumbers(data) {
            const slider = makeSlider({ value: 0.3 });
            const field = openPopup(slider);
            field.field.text = data.text;
            keyClick(Qt.Key_Return);
            tryCompare(slider.valuePopup, "opened", false);
            compare(slider.value, 0.3);
            compare(slider.movedValues.length, 0);

            const volume = makeVolume({ value: 0.5 });
            const volumeField = openPopup(volume);
            volumeField.field.text = data.text;
            keyClick(Qt.Key_Return);
            tryCompare(volume.valuePopup, "opened", false);
            compare(volume.value, 0.5);
            compare(volume.movedValues.length, 0);
        }

        function test_volumeDefaults() {
            const volume = makeVolume();
            compare(volume.sliderStep, 0.01);
            compare(volume.from, 0.04076220398);
            compare(volume.to, 1.0);
            compare(volume.zeroMark, 0.7866278611);
            verify(volume.showZeroMark);
            compare(volume.customDisplayFunction(1.0), "0.000");
            compare(volume.customDisplayFunction(volume.from), "-80.000");
            fuzzyCompare(volume.customInvertFunction("-6"), 0.7866278611, 1e-9);
        }

        function test_volumeTypedMinusSix() {
            const volume = makeVolume({ value: 0.3 });
            const field = openPopup(volume);
            compare(field.text, (25 * Math.log(0.3)).toFixed(3));
            field.field.text = "-6";
            keyClick(Qt.Key_Return);
            tryCompare(volume.valuePopup, "opened", false);
            compare(volume.value, volume.zeroMark, "exactly the zero mark");
            compare(volume.toolTip.text, "Value: -6.0 dB");
        }

        function test_volumeTypedOutsideRange_data() {
            return [
                { tag: "3 dB gives 0 dB", text: "3", expected: 1.0 },
                { tag: "-100 dB gives -80 dB", text: "-100", expected: 0.04076220398 },
            ];
        }
        function test_volumeTypedOutsideRange(data) {
            const volume = makeVolume({ value: 0.3 });
            const field = openPopup(volume);
            field.field.text = data.text;
            keyClick(Qt.Key_Return);
            tryCompare(volume.valuePopup, "opened", false);
            fuzzyCompare(volume.value, data.expected, 1e-9);
        }

        function test_volumeArrowKeys() {
            const volume = makeVolume({ value: 0.995 });
            keyClick(Qt.Key_Right);
            compare(volume.value, 1.0);
            compare(volume.movedValues, [1.0]);
            volume.value = 0.5;
            keyClick(Qt.Key_Left);
            fuzzyCompare(volume.value, 0.49, 1e-9);
        }

        function test_volumeSnapsAroundMinusSixDb_data() {
            return [
                { tag: "-6.9 dB snaps", db: -6.9, snapped: true },
                { tag: "-5.2 dB snaps", db: -5.2, snapped: true },
                { tag: "-7.0 dB stays", db: -7.0, snapped: false },
                { tag: "-5.0 dB stays", db: -5.0, snapped: false },
            ];
        }
        function test_volumeSnapsAroundMinusSixDb(data) {
            const volume = makeVolume();
            volume.value = Math.exp(data.db / 25);
            volume.moved();
            if (data.snapped)
                compare(volume.value, volume.zeroMark);
            else
                fuzzyCompare(volume.value, Math.exp(data.db / 25), 1e-12);
        }

        function test_volumeToolTip() {
            const volume = makeVolume({ value: 1.0 });
            compare(volume.toolTip.text, "Value: 0.0 dB");
            compare(volume.toolTip.delay, 500);
            stage.forceActiveFocus();
            mouseMove(stage, 5, 5);
            verify(!volume.toolTip.visible);
            volume.forceActiveFocus();
            tryCompare(volume.toolTip, "visible", true);
            volume.value = 0.5;
            compare(volume.toolTip.text, "Value: -17.3 dB");
        }
    }
}
