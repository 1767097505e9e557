import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

TestCase {
    id: testCase
    name: "MusicalMain"
    when: windowShown

    property var win: null

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function init() {
        const component = Qt.createComponent("qrc:/qt/qml/com/lanternhillstudios/musical_ui/qml/MusicalMain.qml")
        compare(component.status, Component.Ready, component.errorString())
        win = component.createObject(null)
        verify(win)
        verify(waitForRendering(win.contentItem))
    }

    function cleanup() {
        win.destroy()
        win = null
    }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function argumentsOf(spy, index) {
        return Array.prototype.slice.call(spy.signalArguments[index])
    }

    function part(name) {
        const found = findChild(win.contentItem, name)
        verify(found, name)
        return found
    }

    function test_play_state_data() {
        // Rows: stopToggled, pauseEnabled, pauseToggled, fadeEnabled after the signals in turn.
        return [
            { tag: "at start", signals: [], expected: [false, false, false, false] },
            { tag: "playing", signals: ["playStarted"], expected: [true, true, false, true] },
            { tag: "paused while playing", signals: ["playStarted", "paused"], expected: [true, true, true, false] },
            { tag: "paused keeps stop and pause as they were", signals: ["paused"],
              expected: [false, false, true, false] },
            { tag: "resumed", signals: ["playStarted", "paused", "playStarted"], expected: [true, true, false, true] },
            { tag: "fading", signals: ["playStarted", "fading"], expected: [true, true, false, false] },
            { tag: "fading from paused", signals: ["playStarted", "paused", "fading"],
              expected: [true, true, false, false] },
            { tag: "stopped", signals: ["playStarted", "paused", "stopped"], expected: [false, false, false, false] },
        ]
    }

    function test_play_state(data) {
        for (const name of data.signals)
            win[name]()
        const bar = win.playControl
        compare([bar.stopToggled, bar.pauseEnabled, bar.pauseToggled, bar.fadeEnabled], data.expected)
        compare(findChild(bar, "pauseButton").enabled, data.expected[1])
        compare(findChild(bar, "fadeButton").enabled, data.expected[3])
    }

    function test_transport_is_relayed_data() {
        return [
            { tag: "play", emit: "play", relay: "play" },
            { tag: "stop", emit: "stop", relay: "stop" },
            { tag: "pause", emit: "pause", relay: "pause" },
            { tag: "continue", emit: "continueFlow", relay: "continueFlow" },
            { tag: "next", emit: "nextSong", relay: "nextSong" },
            { tag: "previous", emit: "prevSong", relay: "prevSong" },
            { tag: "fade", emit: "fade", relay: "fade", args: [7000] },
        ]
    }

    function test_transport_is_relayed(data) {
        const spy = spyOn(win, data.relay)
        win.playControl[data.emit].apply(null, data.args || [])
        compare(spy.count, 1)
        compare(argumentsOf(spy, 0), data.args || [])
    }

    function test_menu_is_relayed_data() {
        return [
            { tag: "change-log manager", emit: "changelogManagerOpened", relay: "changelogManagerOpened" },
            { tag: "output paths", emit: "outputPaths", relay: "outputPathsOpened" },
            { tag: "latest log", emit: "getLatestLogClicked", relay: "getLatestLogClicked" },
        ]
    }

    function test_menu_is_relayed(data) {
        const spy = spyOn(win, data.relay)
        win.menu[data.emit]()
        compare(spy.count, 1)
    }

    // The selection's ends are in position units of 25 ticks. The playhead's x is its position
    // times the view scale; at 0.7 the quotient comes out a hair under 75 and must still be 75.
    function test_tool_ticks_data() {
        const tools = [
            { tool: "caesuraButtonPressed", range: false },
            { tool: "markerButtonPressed", range: false },
            { tool: "oscButtonPressed", range: false },
            { tool: "skipButtonPressed", range: true },
            { tool: "vampButtonPressed", range: true },
            { tool: "cutButtonPressed", range: true },
            { tool: "transposeButtonPressed", range: true },
            { tool: "tempoButtonPressed", range: true },
            { tool: "repeatButtonPressed", range: true },
            { tool: "clickButtonPressed", range: true },
        ]
        const rows = []
        for (const t of tools) {
            rows.push({ tag: t.tool + " at the playhead", tool: t.tool, range: t.range, selection: false,
                        start: 75, end: 75 })
            rows.push({ tag: t.tool + " on the selection", tool: t.tool, range: t.range, selection: true,
                        start: 100, end: 250 })
        }
        return rows
    }

    function test_tool_ticks(data) {
        const t = win.timelineControl
        t.viewScale = 0.7
        t.playheadItem.viewScale = 0.7
        t.playheadItem.basePos = 3
        t.selectionStart = 4
        t.selectionEnd = 10
        t.selectionActive = data.selection
        const spy = spyOn(win, data.tool)
        win.editPanelControl[data.tool]()
        compare(spy.count, 1)
        compare(argumentsOf(spy, 0), data.range ? [data.start, data.end] : [data.start])
    }

    function test_selection_functions_work_in_ticks() {
        const t = win.timelineControl
        t.viewScale = 1.6
        win.setSelectionStart(250)
        compare(t.selectionStart, 10)
        compare(t.selectionActive, false)
        win.setSelectionEnd(500)
        compare(t.selectionEnd, 20)
        compare(t.selectionActive, true)
        fuzzyCompare(win.getSelectionStart(), 250, 1e-9)
        fuzzyCompare(win.getSelectionEnd(), 500, 1e-9)
    }

    function test_song_index_change_is_relayed() {
        const spy = spyOn(win, "songIndexChanged")
        win.editPanelControl.songIndexChanged()
        compare(spy.count, 1)
    }

    function test_plus_key_zooms_in_once() {
        win.requestActivate()
        tryCompare(win, "active", true)
        const zoomSpy = spyOn(win.menu, "zoomIn")
        keyClick(Qt.Key_Plus)
        compare(zoomSpy.count, 1)
        keyClick(Qt.Key_Plus, Qt.KeypadModifier)
        compare(zoomSpy.count, 2)
        keyClick(Qt.Key_Minus)
        compare(zoomSpy.count, 2)
    }

    function test_close_is_refused() {
        const closingSpy = spyOn(win, "closing")
        win.close()
        compare(closingSpy.count, 1)
        verify(win.visible)
        win.close()
        compare(closingSpy.count, 2)
        verify(win.visible)
    }

    function test_jump_runs_through_the_window() {
        const jumpSpy = spyOn(win, "jumpToBar")
        const popup = win.jumpControl.popup
        // The banner's bar and beat open the prompt.
        mouseClick(findChild(win.statusBannerControl, "measureText"))
        tryCompare(popup, "opened", true)
        const refuse = () => win.jumpToBarResult(false)
        win.jumpToBar.connect(refuse)
        win.requestActivate()
        tryCompare(win.jumpControl.field, "activeFocus", true)
        keyClick("9")
        keyClick(Qt.Key_Return)
        compare(argumentsOf(jumpSpy, 0), ["9"])
        compare(win.jumpControl.field.text, "Bar not found!")
        verify(popup.opened)
        win.jumpToBar.disconnect(refuse)
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        // The keys are the window's again once the prompt is gone.
        const zoomSpy = spyOn(win.menu, "zoomIn")
        keyClick(Qt.Key_Plus)
        compare(zoomSpy.count, 1)

        win.menu.jumpToBarStart()
        tryCompare(popup, "opened", true)
    }

    function test_score_tab_follows_show_score() {
        const tab = part("scoreTab")
        const bar = win.modeBarControl
        compare(tab.visible, false)
        compare(tab.width, 0)
        compare(bar.currentIndex, 0)
        verify(win.editPanelControl.visible)
        win.showScore = true
        verify(tab.visible)
        verify(tab.width > 0)
        bar.currentIndex = 1
        verify(win.scoreControl.visible)
        verify(!win.editPanelControl.visible)
    }

    function test_aliases_reach_their_targets() {
        const banner = win.statusBannerControl
        const writes = {
            key: "Eb", tempo: "96", meter: "6/8", transpose: "+2", tempoScale: "105%", songTitle: "Entr'acte",
            flowControlLabel: "Skip", flowControlValue: "1",
        }
        for (const name in writes) {
            win[name] = writes[name]
            compare(banner[name], writes[name], name)
        }
        win.measure = "12"
        win.beat = "3"
        compare(findChild(banner, "measureText").text, "0012")
        compare(findChild(banner, "beatText").text, "03")
        win.flowControlBackgroundColor = "#ff0000"
        verify(Qt.colorEqual(banner.flowControlBackgroundColor, "#ff0000"))
        win.volumeLevelPercent = 0.5
        compare(findChild(banner, "levelMeter").value, 0.5)

        win.highlightContinueButton = true
        verify(findChild(findChild(win.playControl, "exitVampButton"), "radiantLayer").visible)

        win.albumArtImageUrl = "qrc:/images/corvane.png"
        compare(win.albumArtImageControl.source, win.albumArtImageUrl)
        compare(win.showAlbumArtImage, false)
        win.showAlbumArtImage = true
        verify(win.albumArtImageControl.visible)

        compare(String(win.cornerLogoSource), "qrc:/images/zarn_flat_logo.png")
        win.cornerLogoSource = "qrc:/images/corvane"
        compare(String(part("cornerLogo").source), "qrc:/images/corvane")

        verify(win.aboutWindow)
        compare(win.aboutWindow, win.menu.aboutWindow)
        verify(win.mixerControl)
        compare(win.mixerControl, win.editPanelControl.mixerControl)
        compare(win.timelineControl, win.timelineEditControl.timelineControl)
        win.showMixer = true
        win.oscEnable = false
        compare(win.editPanelControl.showMixer, true)
        compare(win.editPanelControl.oscEnable, false)
    }

    // The timeline spans the window above the panel, under the transport row.
    function test_editing_page_fills_the_window() {
        const timeline = win.timelineEditControl
        const panel = win.editPanelControl
        const origin = timeline.mapToItem(win.contentItem, 0, 0)
        compare(timeline.width, win.width)
        compare(panel.width, win.width)
        const panelOrigin = panel.mapToItem(win.contentItem, 0, 0)
        compare(panelOrigin.y, origin.y + timeline.height)
        const bar = win.playControl.mapToItem(win.contentItem, 0, 0)
        verify(bar.y + win.playControl.height <= origin.y)
        verify(panelOrigin.y + panel.height <= win.height)
    }
}
