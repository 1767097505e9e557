import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 600
    height: 400

    FlatButton {
        id: before
        x: 300
        y: 10
        text: "Before"
    }

    RecessedTextInput {
        id: field
        x: 10
        y: 10
        width: 200
        text: "Act One"
    }

    RecessedTextInput {
        id: readOnlyField
        x: 10
        y: 60
        width: 200
        text: "fixed"
        editable: false
    }

    CustomCheckbox {
        id: check
        x: 10
        y: 120
        checkboxTextStr: "Do not show again"
    }

    SignalSpy {
        id: finishedSpy
        target: field
        signalName: "editingFinished"
    }

    SignalSpy {
        id: editedSpy
        target: field
        signalName: "textEdited"
    }

    TestCase {
        name: "TextInputsAndCheckBox"
        when: windowShown

        function hex(c) {
            return Qt.color(c).toString();
        }

        function menuEntry(menu, text) {
            for (let i = 0; i < menu.count; ++i) {
                const item = menu.itemAt(i);
                if (item && item.text === text)
                    return item;
            }
            return null;
        }

        function init() {
            field.text = "Act One";
            field.contextMenu.close();
            check.checked = false;
            check.checkboxTextColor = "#a4a4a4";
            finishedSpy.clear();
            editedSpy.clear();
            stage.forceActiveFocus();
        }

        function test_colours() {
            compare(hex(field.color), "#282828");
            compare(hex(field.field.color), "#a4a4a4");
            compare(hex(field.field.selectionColor), "#0f4259");
            compare(hex(readOnlyField.color), "#202020");
            compare(hex(readOnlyField.field.color), "#838383");
            compare(field.field.font.pixelSize, 14);
            compare(field.field.x, 5, "text indent");
            compare(field.height, field.field.implicitHeight + 6);
            verify(field.clip);
        }

        function test_only_the_top_bevel_line_shows() {
            const img = grabImage(field);
            compare(hex(img.pixel(100, 0)), "#242424", "dark line along the top");
            compare(hex(img.pixel(0, 15)), "#282828", "no left line inside");
            compare(hex(img.pixel(199, 15)), "#282828", "no right line inside");
        }

        function test_tab_selects_all_and_shows_the_frame() {
            const frame = findChild(field, "focusFrame");
            verify(!frame.visible);
            before.forceActiveFocus();
            keyClick(Qt.Key_Tab);
            verify(field.field.activeFocus);
            compare(field.field.selectedText, "Act One");
            verify(frame.visible);
            compare(frame.border.width, 2);
            compare(hex(frame.border.color), "#0f4259");
            compare(frame.opacity, 0.7);
        }

        function test_focus_given_to_the_control_reaches_the_field() {
            field.forceActiveFocus();
            verify(field.field.activeFocus);
            stage.forceActiveFocus();
            field.focus = true;
            verify(field.field.activeFocus);
        }

        function test_read_only_takes_no_focus() {
            readOnlyField.forceActiveFocus();
            verify(!readOnlyField.field.activeFocus);
            verify(!findChild(readOnlyField, "focusFrame").visible);
        }

        function test_signals() {
            field.forceActiveFocus();
            keyClick(Qt.Key_End);
            keyClick("s");
            compare(field.text, "Act Ones");
            compare(editedSpy.count, 1);
            keyClick(Qt.Key_Return);
            compare(finishedSpy.count, 1);
            keyClick(Qt.Key_Enter, Qt.KeypadModifier);
            compare(finishedSpy.count, 2);
            field.text = "set by code";
            compare(editedSpy.count, 1, "only the user's changes count");
        }

        function test_context_menu_without_selection() {
            field.forceActiveFocus();
            field.field.deselect();
            mouseClick(field, 50, 10, Qt.RightButton);
            const menu = field.contextMenu;
            tryVerify(() => menu.opened);
            verify(menu.parent === field.field);
            compare(menu.x, 0);
            compare(menu.y, 0);
            compare(menu.count, 3);
            verify(!menuEntry(menu, "Copy").enabled);
            verify(!menuEntry(menu, "Cut").enabled);
            verify(menuEntry(menu, "Paste").enabled);
        }

        function test_copy_cut_and_paste() {
            field.forceActiveFocus();
            field.field.select(0, 3); // "Act"
            mouseClick(field, 50, 10, Qt.RightButton);
            const menu = field.contextMenu;
            tryVerify(() => menu.opened);
            compare(field.field.selectedText, "Act", "the menu does not take the selection away");
            verify(menuEntry(menu, "Copy").enabled);
            verify(menuEntry(menu, "Cut").enabled);
            mouseClick(menuEntry(menu, "Copy"));
            tryVerify(() => !menu.visible);

            field.field.deselect();
            field.field.cursorPosition = field.text.length;
            mouseClick(field, 50, 10, Qt.RightButton);
            tryVerify(() => menu.opened);
            field.field.deselect();
            field.field.cursorPosition = field.text.length;
            mouseClick(menuEntry(menu, "Paste"));
            tryVerify(() => !menu.visible);
            compare(field.text, "Act OneAct");

            field.field.select(0, 4); // "Act "
            mouseClick(field, 50, 10, Qt.RightButton);
            tryVerify(() => menu.opened);
            mouseClick(menuEntry(menu, "Cut"));
            tryVerify(() => !menu.visible);
            compare(field.text, "OneAct");
        }

        function test_read_only_has_no_menu() {
            mouseClick(readOnlyField, 50, 10, Qt.RightButton);
            wait(50);
            verify(!readOnlyField.contextMenu.visible);
        }

        function test_check_box_caption() {
            compare(check.text, "<font color='#a4a4a4'>Do not show again</font>");
            check.checkboxTextColor = "white";
            compare(check.text, "<font color='white'>Do not show again</font>");
            compare(check.font.pixelSize, 14);
        }

        function test_check_box_indicator() {
            const box = findChild(check, "box");
            compare(check.indicator.width, 22);
            compare(check.indicator.height, 22);
            compare(check.indicator.x, check.leftPadding);
            compare(box.radius, 3);
            compare(box.border.width, 2);
            compare(hex(box.color), "#ffffff");
            compare(box.border.color.a, 0);
            mouseClick(check);
            verify(check.checked);
            compare(hex(box.color), "#4682b4");
            verify(check.activeFocus);
            compare(hex(box.border.color), "#4682b4");
            const highlight = findChild(check, "focusHighlight");
            verify(highlight.visible);
            compare(highlight.z, -10000);
            keyClick(Qt.Key_Space);
            verify(!check.checked);
            stage.forceActiveFocus();
            verify(!highlight.visible);
        }
    }
}
