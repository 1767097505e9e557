import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 600
    height: 300

    CustomSpinBox {
        id: spin
        x: 10
        y: 10
        width: 200
        from: 0
        to: 127
    }

    RecessedSpinBox {
        id: vampCount
        x: 10
        y: 60
        from: 0
        to: 500
    }

    RecessedSpinBox {
        id: repeatCount
        x: 10
        y: 100
        from: 1
        to: 500
        defaultValue: "2"
    }

    RecessedSpinBox {
        id: startsAtOne
        x: 10
        y: 140
        from: 1
        to: 500
        defaultValue: "1"
    }

    RecessedSpinBox {
        id: tempoScale
        x: 10
        y: 180
        from: 50
        to: 200
        defaultValue: 100
    }

    SignalSpy {
        id: incrementSpy
        target: vampCount
        signalName: "incrementValue"
    }

    SignalSpy {
        id: decrementSpy
        target: repeatCount
        signalName: "decrementValue"
    }

    Component {
        id: signalSpy
        SignalSpy {}
    }

    TestCase {
        name: "SpinBoxes"
        when: windowShown

        function init() {
            spin.underflowWithInfinite = false;
            spin.from = 0;
            spin.to = 127;
            spin.intValue = 1;
            stage.forceActiveFocus();
        }

        // Types into the field and leaves it, as a user does.
        function typeAndLeave(text) {
            const editor = spin.input.editor;
            editor.forceActiveFocus();
            editor.selectAll();
            keyClick(Qt.Key_Delete);
            for (const ch of text)
                keyClick(ch === " " ? Qt.Key_Space : ch);
            compare(spin.value, text);
            stage.forceActiveFocus();
        }

        function test_value_rule_data() {
            return [
                { tag: "inside", set: 78, value: 78, text: "78", dec: true, inc: true },
                { tag: "at to", set: 127, value: 127, text: "127", dec: true, inc: false },
                { tag: "at from", set: 0, value: 0, text: "0", dec: false, inc: true },
                { tag: "above to", set: 200, value: 127, text: "127", dec: true, inc: false },
                { tag: "below from", set: -5, value: 0, text: "0", dec: false, inc: true },
                { tag: "one below from, no infinite", set: -1, value: 0, text: "0", dec: false, inc: true },
            ];
        }

        function test_value_rule(data) {
            spin.intValue = data.set;
            compare(spin.intValue, data.value);
            compare(spin.value, data.text);
            compare(spin.decrementButton.enabled, data.dec, "minus");
            compare(spin.incrementButton.enabled, data.inc, "plus");
        }

        function test_first_rule_runs_on_creation() {
            const made = createTemporaryObject(Qt.createComponent("qrc:/qt/qml/com/lanternhillstudios/zarn_ui/qml/CustomSpinBox.qml"),
                                               stage, { from: 5, to: 9, intValue: 9 });
            verify(made);
            compare(made.value, "9");
            verify(!made.incrementButton.enabled);
            verify(made.decrementButton.enabled);
        }

        function test_buttons_step() {
            spin.intValue = 10;
            mouseClick(spin.incrementButton);
            compare(spin.intValue, 11);
            mouseClick(spin.decrementButton);
            mouseClick(spin.decrementButton);
            compare(spin.intValue, 9);
            compare(spin.value, "9");
        }

        function test_double_click_counts_twice() {
            spin.intValue = 10;
            mouseDoubleClickSequence(spin.incrementButton);
            compare(spin.intValue, 12);
            mouseDoubleClickSequence(spin.decrementButton);
            compare(spin.intValue, 10);
        }

        function test_infinite_below_from() {
            spin.underflowWithInfinite = true;
            spin.intValue = 0;
            verify(spin.decrementButton.enabled, "with infinite, from still steps down");
            mouseClick(spin.decrementButton);
            compare(spin.intValue, -1);
            compare(spin.value, "Infinite");
            verify(!spin.decrementButton.enabled);
            mouseClick(spin.incrementButton);
            compare(spin.intValue, 0);
            compare(spin.value, "0");
            verify(spin.decrementButton.enabled);
        }

        function test_validation_data() {
            return [
                { tag: "not a number", infinite: false, start: 5, typed: "abc", text: "5", value: 5 },
                { tag: "not a number, infinite", infinite: true, start: 5, typed: "abc", text: "Infinite", value: -1 },
                { tag: "above to", infinite: false, start: 5, typed: "500", text: "127", value: 127 },
                { tag: "below from", infinite: false, start: 5, typed: "-4", text: "0", value: 0 },
                { tag: "below from, infinite", infinite: true, start: 5, typed: "-4", text: "0", value: 0 },
                { tag: "leading digits", infinite: false, start: 5, typed: "12abc", text: "12", value: 12 },
                { tag: "leading space and sign", infinite: false, start: 5, typed: " +7", text: "7", value: 7 },
                { tag: "in range", infinite: false, start: 5, typed: "64", text: "64", value: 64 },
                { tag: "Infinite kept", infinite: true, start: -1, typed: "Infinite", text: "Infinite", value: -1 },
            ];
        }

        function test_validation(data) {
            spin.underflowWithInfinite = data.infinite;
            spin.intValue = data.start;
            typeAndLeave(data.typed);
            compare(spin.value, data.text);
            compare(spin.intValue, data.value);
        }

        function test_not_editable() {
            spin.editable = false;
            verify(!spin.input.editor.enabled);
            spin.editable = true;
            verify(spin.input.editor.enabled);
        }

        function test_text_area_look() {
            compare(spin.height, 25);
            compare(spin.input.color.toString(), "#ffffff");
            compare(spin.input.editor.color.toString(), "#000000");
            compare(spin.input.width, 200 - 50);
            compare(spin.input.editor.anchors.leftMargin, 15);
            compare(spin.input.editor.anchors.rightMargin, 15);
        }

        function test_recessed_starts_at_infinity() {
            compare(vampCount.intValue, 0);
            compare(vampCount.value, "\u221E");
            verify(!vampCount.decrementButton.enabled);
            verify(vampCount.incrementButton.enabled);
            mouseClick(vampCount.incrementButton);
            compare(incrementSpy.count, 1);
            compare(vampCount.intValue, 0, "the tool decides the value");
            compare(vampCount.value, "\u221E");
        }

        function test_recessed_defaults() {
            compare(repeatCount.intValue, 2);
            compare(repeatCount.value, "2");
            verify(repeatCount.decrementButton.enabled);
            mouseClick(repeatCount.decrementButton);
            compare(decrementSpy.count, 1);
            compare(repeatCount.intValue, 2);
            compare(tempoScale.intValue, 100);
            compare(tempoScale.value, "100");
        }

        function test_recessed_rule_runs_only_on_change() {
            compare(startsAtOne.intValue, 1);
            verify(startsAtOne.decrementButton.enabled, "no change, no rule");
            verify(startsAtOne.incrementButton.enabled);
            startsAtOne.intValue = 500;
            verify(!startsAtOne.incrementButton.enabled);
            verify(startsAtOne.decrementButton.enabled);
            startsAtOne.intValue = 1;
            verify(!startsAtOne.decrementButton.enabled);
        }

        function test_recessed_field() {
            const edited = signalSpy.createObject(stage, { target: repeatCount, signalName: "textEdited" });
            const finished = signalSpy.createObject(stage, { target: repeatCount, signalName: "editingFinished" });
            repeatCount.inputFocus = true;
            verify(repeatCount.input.field.activeFocus, "screens focus the field on opening");
            compare(repeatCount.input.field.selectedText, "2");
            keyClick("7");
            compare(repeatCount.value, "7");
            compare(edited.count, 1);
            keyClick(Qt.Key_Return);
            compare(finished.count, 1);
            compare(repeatCount.intValue, 2, "the tool reads the text and decides");
            compare(repeatCount.textIndent, 5);
            repeatCount.value = "2";
            edited.destroy();
            finished.destroy();
        }

        function test_recessed_size() {
            compare(vampCount.height, 25);
            compare(vampCount.width, 25 + 50 + 25 + 2);
            compare(vampCount.inputWidth, 50);
        }
    }
}
