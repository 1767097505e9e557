import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

Item {
    id: stage
    width: 800
    height: 600

    ZarnTheme {
        id: theme
    }

    Component {
        id: jumpComponent
        JumpToBar {}
    }

    SignalSpy {
        id: okSpy
        signalName: "ok"
    }

    TestCase {
        id: testCase
        name: "JumpToBar"
        when: windowShown

        property var jump: null
        // What the engine says to a submission: true, false, or nothing at all.
        property var answer: undefined
        property var submitted: []

        Connections {
            target: testCase.jump
            ignoreUnknownSignals: true
            // Answered during the emission, as the window's direct connections do.
            function onOk() {
                testCase.submitted.push(testCase.jump.barNum)
                if (testCase.answer !== undefined)
                    testCase.jump.result(testCase.answer)
            }
        }

        function init() {
            answer = undefined
            submitted = []
            jump = createTemporaryObject(jumpComponent, stage)
            verify(jump)
            okSpy.target = jump
            okSpy.clear()
        }

        function openPrompt() {
            jump.open()
            tryCompare(jump.popup, "opened", true)
            tryCompare(jump.field, "activeFocus", true)
        }

        function type(text) {
            for (let i = 0; i < text.length; ++i)
                keyClick(text[i])
        }

        function submitBy(how) {
            if (how === "Return")
                keyClick(Qt.Key_Return)
            else if (how === "Enter")
                keyClick(Qt.Key_Enter, Qt.KeypadModifier)
            else
                mouseClick(jump.okButton)
        }

        function test_submission_data() {
            return [
                { tag: "Return, no answer", by: "Return", answer: undefined, open: true, field: "" },
                { tag: "Return, found", by: "Return", answer: true, open: false, field: "" },
                { tag: "Return, not found", by: "Return", answer: false, open: true, field: "Bar not found!" },
                { tag: "Enter, not found", by: "Enter", answer: false, open: true, field: "Bar not found!" },
                { tag: "OK, no answer", by: "OK", answer: undefined, open: false, field: "" },
                { tag: "OK, found", by: "OK", answer: true, open: false, field: "" },
                { tag: "OK, not found", by: "OK", answer: false, open: true, field: "Bar not found!" },
            ]
        }

        function test_submission(data) {
            answer = data.answer
            openPrompt()
            type("12")
            submitBy(data.by)
            compare(okSpy.count, 1)
            compare(submitted, ["12"])
            compare(jump.barNum, "12")
            tryCompare(jump.popup, "visible", data.open)
            compare(jump.field.text, data.field)
            if (data.field !== "") {
                // The whole text is selected in the focused field: the next key replaces it.
                compare(jump.field.selectedText, data.field)
                tryCompare(jump.field, "activeFocus", true)
                type("3")
                compare(jump.field.text, "3")
            }
        }

        function test_text_goes_as_typed_data() {
            return [
                { tag: "empty", typed: "" },
                { tag: "not a number", typed: "a7" },
                { tag: "the refusal itself", typed: "Bar not found!" },
            ]
        }

        function test_text_goes_as_typed(data) {
            openPrompt()
            type(data.typed)
            keyClick(Qt.Key_Return)
            compare(submitted, [data.typed])
            compare(jump.barNum, data.typed)
        }

        function test_second_submission_after_refusal_is_answered_afresh() {
            openPrompt()
            answer = false
            type("99")
            keyClick(Qt.Key_Return)
            compare(jump.field.text, "Bar not found!")
            answer = true
            type("4")
            mouseClick(jump.okButton)
            compare(submitted, ["99", "4"])
            tryCompare(jump.popup, "visible", false)
        }

        function test_closing_without_submission_data() {
            return [
                { tag: "Escape" },
                { tag: "Cancel" },
                { tag: "press outside" },
            ]
        }

        function test_closing_without_submission(data) {
            openPrompt()
            answer = false
            type("8")
            keyClick(Qt.Key_Return)
            compare(jump.field.text, "Bar not found!")
            if (data.tag === "Escape")
                keyClick(Qt.Key_Escape)
            else if (data.tag === "Cancel")
                mouseClick(jump.cancelButton)
            else
                mouseClick(stage, 5, 5)
            tryCompare(jump.popup, "visible", false)
            compare(okSpy.count, 1)
            // Every close clears the field, so the prompt opens empty next time.
            compare(jump.field.text, "")
            openPrompt()
            compare(jump.field.text, "")
            compare(jump.promptText, "Enter Bar Number")
            verify(findChild(jump.field, "hint").visible)
            keyClick("1")
            verify(!findChild(jump.field, "hint").visible)
        }
    }
}
