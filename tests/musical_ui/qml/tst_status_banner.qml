import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

Item {
    id: stage
    width: 1000
    height: 200

    ZarnTheme {
        id: theme
    }

    Component {
        id: bannerComponent
        ShowStatusBanner {
            width: 1000
            height: 75
        }
    }

    TextMetrics {
        id: titleMetrics
        font.pixelSize: 12
    }

    SignalSpy {
        id: clickSpy
        signalName: "barBeatClicked"
    }

    TestCase {
        name: "StatusBanner"
        when: windowShown

        property var banner

        function init() {
            banner = createTemporaryObject(bannerComponent, stage)
            verify(banner)
            clickSpy.target = banner
            clickSpy.clear()
            waitForRendering(banner)
        }

        function part(name) {
            const found = findChild(banner, name)
            verify(found, name)
            return found
        }

        function sameColor(actual, expected) {
            return Qt.colorEqual(actual, expected)
        }

        function test_zero_fill_data() {
            return [
                { tag: "measure 7", number: "7", width: 4, expected: "0007" },
                { tag: "measure 12", number: 12, width: 4, expected: "0012" },
                { tag: "as wide as asked", number: "1234", width: 4, expected: "1234" },
                { tag: "wider is never cut", number: "12345", width: 4, expected: "12345" },
                { tag: "beat 3", number: "3", width: 2, expected: "03" },
                { tag: "empty beat", number: "", width: 2, expected: "00" },
                { tag: "a decimal point counts a zero more", number: "1.5", width: 4, expected: "001.5" },
            ]
        }

        function test_zero_fill(data) {
            compare(banner.zeroFill(data.number, data.width), data.expected)
        }

        function test_measure_and_beat_show_filled() {
            compare(part("measureText").text, "0000")
            compare(part("beatText").text, "00")
            banner.measure = "7"
            banner.beat = ""
            compare(part("measureText").text, "0007")
            compare(part("beatText").text, "00")
            banner.measure = "12345"
            banner.beat = "3"
            compare(part("measureText").text, "12345")
            compare(part("beatText").text, "03")
        }

        function test_bar_and_beat_click_data() {
            return [
                { tag: "measure", area: "measureText" },
                { tag: "beat", area: "beatText" },
            ]
        }

        function test_bar_and_beat_click(data) {
            mouseClick(part(data.area))
            compare(clickSpy.count, 1)
        }

        function test_values_start_undetermined_and_follow() {
            const cells = ["key", "transpose", "tempo", "tempoScale", "meter"]
            for (const name of cells)
                compare(banner[name], "TBD", name)
            compare(part("levelMeter").value, 1)
            banner.key = "Eb"
            banner.volumeLevelPercent = 0.25
            compare(banner.key, "Eb")
            compare(part("levelMeter").value, 0.25)
        }

        function test_flow_cell_data() {
            return [
                { tag: "blank", label: "", value: "", coloured: false, valueShown: false },
                { tag: "label only", label: "Caesura", value: "", coloured: true, valueShown: false },
                { tag: "label and value", label: "Vamp", value: "2", coloured: true, valueShown: true },
            ]
        }

        function test_flow_cell(data) {
            banner.flowControlBackgroundColor = "#2060c0"
            banner.flowControlLabel = data.label
            banner.flowControlValue = data.value
            const cell = part("flowControlCell")
            const background = findChild(cell, "background")
            verify(sameColor(background.color, data.coloured ? "#2060c0" : "transparent"),
                   String(background.color))
            compare(background.opacity, 0.7)
            compare(findChild(cell, "value").visible, data.valueShown)
            compare(findChild(cell, "label").text, data.label)
        }

        // Flashes 300 ms apart keep the lamp lit without a break; it rests 500 ms after the last.
        function test_midi_lamp_stays_lit_through_a_train_of_flashes() {
            const lamp = part("midiLamp")
            verify(sameColor(lamp.color, "dimgray"))
            let rests = 0
            const watch = () => { if (sameColor(lamp.color, "dimgray")) ++rests }
            lamp.colorChanged.connect(watch)
            let last = 0
            for (let i = 0; i < 4; ++i) {
                if (i > 0)
                    wait(300)
                banner.highlightMidiNotice()
                last = Date.now()
                verify(sameColor(lamp.color, "lawngreen"))
            }
            compare(rests, 0)
            tryVerify(() => sameColor(lamp.color, "dimgray"), 2000)
            verify(Date.now() - last >= 450, "rested " + (Date.now() - last) + " ms after the last flash")
            compare(rests, 1)
            lamp.colorChanged.disconnect(watch)
        }

        function test_osc_lamp_incoming_then_outgoing() {
            const lamp = part("oscLamp")
            let rests = 0
            const watch = () => { if (sameColor(lamp.color, "dimgray")) ++rests }
            lamp.colorChanged.connect(watch)
            banner.highlightOscNotice()
            verify(sameColor(lamp.color, "lawngreen"))
            wait(200)
            banner.highlightOscOutgoingNotice()
            const last = Date.now()
            verify(sameColor(lamp.color, "#FFD700"))
            tryVerify(() => sameColor(lamp.color, "dimgray"), 2000)
            verify(Date.now() - last >= 450, "rested " + (Date.now() - last) + " ms after the cue")
            compare(rests, 1)
            // The MIDI lamp has a timer of its own.
            verify(sameColor(part("midiLamp").color, "dimgray"))
            lamp.colorChanged.disconnect(watch)
        }

        function test_long_title_is_elided_with_its_tool_tip() {
            const title = part("songTitleText")
            const tip = part("songTitleToolTip")
            const longTitle = "The Overture and the Long Procession of the Lanterns Across the Hall Before the Curtain"
            banner.songTitle = longTitle
            verify(banner.titleTruncated)
            // Two lines at most, ending in an ellipsis, nothing spilling out.
            verify(title.contentHeight <= title.height + 0.5, title.contentHeight + " > " + title.height)
            verify(title.text.indexOf("\u2026") > 0)
            mouseMove(title, title.width / 2, title.height / 2)
            tryCompare(tip, "opened", true, 3000)
            compare(tip.text, longTitle)
            mouseMove(stage, stage.width - 2, stage.height - 2)
            tryCompare(tip, "opened", false)

            banner.songTitle = "Overture"
            verify(!banner.titleTruncated)
            verify(title.text.indexOf("\u2026") < 0)
        }

        // Rich text lays the title out after the caption; markup in the title stays text.
        function test_markup_in_the_title_shows_as_typed() {
            const title = part("songTitleText")
            banner.songTitle = "A"
            const plainWidth = title.implicitWidth
            banner.songTitle = "<b>A</b> & <i>B</i>"
            titleMetrics.text = "<b>A</b> & <i>B</i>"
            const typed = titleMetrics.advanceWidth
            titleMetrics.text = "A"
            fuzzyCompare(title.implicitWidth - plainWidth, typed - titleMetrics.advanceWidth, 2)
            verify(!banner.titleTruncated)
        }

        function test_hidden_art_takes_no_room() {
            const art = part("albumArt")
            const song = part("songPanel")
            const panelsWidth = 175 + 175 + 280 + 33
            banner.albumArtImageControl.source = "qrc:/images/corvane.png"
            tryCompare(art, "status", Image.Ready)
            verify(!banner.albumArtVisible)
            // Layouts place on whole pixels.
            fuzzyCompare(song.x, (banner.width - panelsWidth) / 2, 1)

            banner.albumArtVisible = true
            tryCompare(art, "width", 75)
            // The art and its margin join the centred group.
            tryVerify(() => Math.abs(song.x - ((banner.width - panelsWidth - 85) / 2 + 85)) <= 1)
            fuzzyCompare(art.x, (banner.width - panelsWidth - 85) / 2, 1)
        }
    }
}
