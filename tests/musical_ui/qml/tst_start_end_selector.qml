import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

Item {
    id: stage
    width: 600
    height: 300

    ZarnTheme {
        id: theme
    }

    Component {
        id: selectorComponent
        TimeLineStartEndSelector {
            barList: ["1", "2", "3", "4"]
        }
    }

    SignalSpy {
        id: startSpy
        signalName: "changedStartBarIndex"
    }

    SignalSpy {
        id: endSpy
        signalName: "changedEndBarIndex"
    }

    SignalSpy {
        id: selectAllSpy
        signalName: "selectAll"
    }

    TestCase {
        name: "StartEndSelector"
        when: windowShown

        function make(props) {
            const s = createTemporaryObject(selectorComponent, stage, props)
            verify(s)
            startSpy.target = s
            endSpy.target = s
            selectAllSpy.target = s
            startSpy.clear()
            endSpy.clear()
            selectAllSpy.clear()
            waitForRendering(s)
            return s
        }

        function test_without_out() {
            const s = make({})
            compare(findChild(s, "selectorGrid").columns, 2)
            compare(findChild(s, "inBarLabel").text, "Bar")
            compare(findChild(s, "inBeatLabel").text, "Beat")
            verify(!findChild(s, "outBarLabel").visible)
            verify(!findChild(s, "outBeatLabel").visible)
            verify(!findChild(s, "outBarBox").visible)
            verify(!findChild(s, "outBeatBox").visible)
            verify(!findChild(s, "selectAllButton").visible)
            compare(findChild(s, "inBarBox").width, 64)
        }

        function test_with_out() {
            const s = make({ hasOut: true })
            compare(findChild(s, "selectorGrid").columns, 4)
            compare(findChild(s, "inBarLabel").text, "In Bar")
            compare(findChild(s, "inBeatLabel").text, "In Beat")
            compare(findChild(s, "outBarLabel").text, "Out Bar")
            compare(findChild(s, "outBeatLabel").text, "Out Beat")
            verify(findChild(s, "outBarBox").visible)
            const button = findChild(s, "selectAllButton")
            verify(button.visible)
            compare(button.width, 150)
            mouseClick(button)
            compare(selectAllSpy.count, 1)

            const hidden = make({ hasOut: true, showSelectAll: false })
            verify(!findChild(hidden, "selectAllButton").visible)
        }

        function test_index_signals() {
            const s = make({ hasOut: true })
            s.inBarControl.currentIndex = 2
            compare(startSpy.count, 1)
            compare(startSpy.signalArguments[0][0], 2)
            compare(endSpy.count, 0)
            s.outBarControl.currentIndex = 3
            compare(endSpy.count, 1)
            compare(endSpy.signalArguments[0][0], 3)
            compare(s.inBar, "3")
            compare(s.outBar, "4")
        }
    }
}
