import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 600
    height: 500

    ListModel {
        id: devices
        ListElement { name: "Alpha"; value: "a" }
        ListElement { name: "Beta"; value: "b" }
        ListElement { name: "Gamma"; value: "c" }
        ListElement { name: "Delta"; value: "d" }
    }

    CustomComboBox {
        id: combo
        x: 10
        y: 10
        model: devices
        textRole: "name"
        valueRole: "value"
    }

    CustomComboBox {
        id: lowCombo
        x: 200
        y: stage.height - 40
        model: ["one", "two", "three", "four", "five"]
    }

    CustomComboBox {
        id: numbers
        x: 400
        y: 10
        model: [{ "label": "Seven", "port": 7 }, { "label": "Nine", "port": "9" }, { "label": "Eleven", "port": 11 }]
        textRole: "label"
        valueRole: "port"
    }

    CustomComboBox {
        id: narrow
        x: 400
        y: 60
        width: 80
        model: ["A rather long output device name", "Short"]
    }

    SignalSpy {
        id: activatedSpy
        target: combo
        signalName: "activated"
    }

    SignalSpy {
        id: enterSpy
        target: combo
        signalName: "enterPressed"
    }

    TestCase {
        name: "ComboBox"
        when: windowShown

        function hex(c) {
            return Qt.color(c).toString();
        }

        function rowItem(box, index) {
            return box.list.itemAtIndex(index);
        }

        function init() {
            mouseMove(stage, 590, 490);
            for (const box of [combo, lowCombo, numbers, narrow])
                box.choices.close();
            tryVerify(() => !combo.choices.visible && !lowCombo.choices.visible && !narrow.choices.visible);
            combo.currentIndex = 0;
            combo.enabled = true;
            activatedSpy.clear();
            enterSpy.clear();
            combo.comboControl.forceActiveFocus();
        }

        // A closed list is left out of the window's layout passes: its rows take the mouse only
        // once a frame has been drawn with the list open, whatever earlier openings did.
        function open(box) {
            box.comboControl.forceActiveFocus();
            keyClick(Qt.Key_Space);
            tryVerify(() => box.choices.opened);
            tryVerify(() => !isPolishScheduled(box.list), 5000, "the open list has laid out its rows");
        }

        function test_looks() {
            compare(combo.width, 120);
            compare(combo.height, 30);
            compare(combo.font.pixelSize, 14);
            compare(hex(combo.comboControl.background.color), "#1b1b1b");
            compare(hex(combo.default_popup_bg_color), "#313131");
            compare(combo.mainLabel.x, 8);
            compare(combo.mainLabel.width, 120 - 12 - 15);
            compare(combo.mainLabel.text, "Alpha");
            compare(hex(combo.mainLabel.color), "#ffffff");
            verify(combo.isCompleted);
            verify(findChild(combo, "focusFrame").visible, "frame while the box has active focus");
            stage.forceActiveFocus();
            verify(!findChild(combo, "focusFrame").visible);
        }

        function test_box_colours_by_state() {
            const bg = combo.comboControl.background;
            mouseMove(combo, 20, 10);
            tryVerify(() => combo.comboControl.hovered);
            compare(hex(bg.color), "#232323");
            mousePress(combo, 20, 10);
            compare(hex(bg.color), "#161616");
            compare(hex(combo.mainLabel.color), "#c0c0c0");
            compare(hex(findChild(combo, "arrow").fillColor), "#c0c0c0");
            mouseRelease(combo, 20, 10);
            tryVerify(() => combo.choices.opened);
            combo.choices.close();
            combo.enabled = false;
            compare(hex(bg.color), "#292929");
            compare(hex(combo.mainLabel.color), "#808080");
            compare(hex(findChild(combo, "arrow").fillColor), "#808080");
        }

        function test_closed_list_keys() {
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Up);
            compare(combo.currentIndex, 0);
            verify(!combo.choices.visible);
            keyClick(Qt.Key_Return);
            keyClick(Qt.Key_Enter, Qt.KeypadModifier);
            compare(enterSpy.count, 2);
            compare(activatedSpy.count, 0);
            verify(!combo.choices.visible);
        }

        function test_space_chooses_without_activated() {
            open(combo);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Down);
            compare(combo.currentIndex, 0, "moving the list's row does not choose");
            verify(combo.arrowSelectionMode);
            keyClick(Qt.Key_Space);
            compare(combo.currentIndex, 2);
            tryVerify(() => !combo.choices.visible);
            compare(activatedSpy.count, 0);
            compare(combo.displayText, "Gamma");
        }

        function test_enter_chooses_and_activates_data() {
            return [
                { tag: "Return", key: Qt.Key_Return, modifiers: Qt.NoModifier },
                { tag: "keypad Enter", key: Qt.Key_Enter, modifiers: Qt.KeypadModifier },
            ];
        }

        function test_enter_chooses_and_activates(data) {
            open(combo);
            keyClick(Qt.Key_Down);
            keyClick(Qt.Key_Down);
            keyClick(data.key, data.modifiers);
            compare(combo.currentIndex, 2);
            compare(activatedSpy.count, 1);
            compare(activatedSpy.signalArguments[0][0], 2);
            tryVerify(() => !combo.choices.visible);
            compare(enterSpy.count, 0);
        }

        function test_enter_activates_even_without_a_change() {
            open(combo);
            keyClick(Qt.Key_Return);
            compare(activatedSpy.count, 1);
            compare(activatedSpy.signalArguments[0][0], 0);
        }

        function test_arrows_stop_at_the_ends() {
            open(combo);
            keyClick(Qt.Key_Up);
            compare(combo.list.currentIndex, 0);
            for (let i = 0; i < 6; ++i)
                keyClick(Qt.Key_Down);
            compare(combo.list.currentIndex, 3);
        }

        function test_row_colours_and_arrow_mode() {
            open(combo);
            const first = rowItem(combo, 0), second = rowItem(combo, 1);
            compare(first.height, 40);
            compare(first.width, combo.list.width);
            compare(hex(first.contentItem.color), "#3f3f3f", "the list's row starts at the current index");
            compare(hex(second.contentItem.color), "#313131");
            compare(hex(findChild(first, "rowLabel").color), "#ffffff");
            compare(findChild(first, "rowLabel").x, 5);
            keyClick(Qt.Key_Down);
            compare(hex(second.contentItem.color), "#3f3f3f");
            compare(hex(first.contentItem.color), "#313131");
            verify(combo.arrowSelectionMode);
            mouseMove(rowItem(combo, 3), 20, 20);
            tryVerify(() => !combo.arrowSelectionMode, 1000, "the mouse entering a row ends arrow mode");
            compare(combo.list.currentIndex, 3);
            compare(hex(rowItem(combo, 3).contentItem.color), "#3f3f3f");
        }

        function test_click_on_a_row() {
            open(combo);
            mouseClick(rowItem(combo, 3), 20, 20);
            compare(combo.currentIndex, 3);
            compare(activatedSpy.count, 1);
            compare(activatedSpy.signalArguments[0][0], 3);
            tryVerify(() => !combo.choices.visible);
        }

        function test_index_of_value() {
            compare(combo.indexOfValue("c"), 2);
            compare(combo.indexOfValue("zzz"), -1);
            compare(numbers.indexOfValue(7), 0);
            compare(numbers.indexOfValue("9"), 1);
            compare(numbers.indexOfValue(9), 1);
            compare(numbers.indexOfValue("11"), 2);
            compare(numbers.indexOfValue(12), -1);
            compare(numbers.valueAt(1), 9);
            compare(numbers.valueAt(2), 11);
            compare(numbers.currentValue, 7);
            compare(numbers.count, 3);
        }

        function test_row_texts() {
            open(numbers);
            compare(findChild(rowItem(numbers, 0), "rowLabel").text, "Seven", "map rows use textRole");
            numbers.choices.close();
            open(lowCombo);
            compare(findChild(rowItem(lowCombo, 4), "rowLabel").text, "five", "string rows show themselves");
            lowCombo.choices.close();
            open(combo);
            compare(findChild(rowItem(combo, 1), "rowLabel").text, "Beta", "list model rows use the role");
        }

        function test_popup_below_the_box_in_the_upper_half() {
            open(combo);
            compare(combo.choices.y, 30 - 1);
            compare(combo.choices.width, 120);
            compare(combo.choices.height, 4 * 40 + 2);
        }

        function test_popup_moves_up_near_the_bottom() {
            open(lowCombo);
            tryVerify(() => lowCombo.choices.y < 0);
            const windowHeight = lowCombo.Window.window.height;
            const top = lowCombo.mapToItem(null, 0, 0).y + lowCombo.choices.y;
            compare(top + lowCombo.choices.height, windowHeight - 6, "ends 6 px above the bottom edge");
        }

        function test_minimum_popup_width() {
            combo.minimumPopupWidth = 300;
            open(combo);
            compare(combo.choices.width, 300);
            combo.minimumPopupWidth = -1;
        }

        function test_elided_row_shows_its_text_after_a_second() {
            open(narrow);
            const longRow = rowItem(narrow, 0), shortRow = rowItem(narrow, 1);
            verify(findChild(longRow, "rowLabel").truncated);
            const tip = findChild(longRow, "rowToolTip");
            compare(tip.text, "A rather long output device name");
            compare(tip.timeout, 5000);
            const hovered = Date.now();
            mouseMove(longRow, 20, 20);
            tryVerify(() => tip.opened, 3000);
            // Measured, not slept: a busy machine can only make the tip later. Its coarse timer
            // may fire up to 5 % early.
            verify(Date.now() - hovered >= 950, "not before a second");
            mouseMove(shortRow, 20, 20);
            wait(1300);
            verify(!findChild(shortRow, "rowToolTip").opened, "a row that fits has no tip");
        }
    }
}
