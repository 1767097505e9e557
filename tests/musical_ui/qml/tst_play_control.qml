import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

Item {
    id: stage
    width: 800
    height: 400

    ZarnTheme {
        id: theme
    }

    Component {
        id: playControlComponent
        PlayControl {
            x: 20
            y: 20
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    SignalSpy {
        id: fadeSpy
        signalName: "fade"
    }

    TestCase {
        name: "PlayControl"
        when: windowShown

        property var bar

        function init() {
            bar = createTemporaryObject(playControlComponent, stage)
            verify(bar)
            fadeSpy.target = bar
            fadeSpy.clear()
            waitForRendering(bar)
        }

        function button(name) {
            const found = findChild(bar, name)
            verify(found, name)
            return found
        }

        function spyOn(signalName) {
            return createTemporaryObject(spyComponent, stage, { target: bar, signalName: signalName })
        }

        function holdFade() {
            const fade = button("fadeButton")
            mousePress(fade)
            tryCompare(bar.fadeMenu, "opened", true, 5000)
            mouseRelease(fade)
        }

        function test_each_button_sends_its_own_signal_data() {
            return [
                { tag: "previous", button: "prevButton", signal: "prevSong" },
                { tag: "next", button: "nextButton", signal: "nextSong" },
                { tag: "stop", button: "stopButton", signal: "stop" },
                { tag: "play", button: "playButton", signal: "play" },
                { tag: "pause", button: "pauseButton", signal: "pause", enable: "pauseEnabled" },
                { tag: "exit vamp", button: "exitVampButton", signal: "continueFlow" },
            ]
        }

        function test_each_button_sends_its_own_signal(data) {
            if (data.enable)
                bar[data.enable] = true
            const names = ["prevSong", "nextSong", "stop", "play", "pause", "continueFlow", "fade"]
            const spies = {}
            for (const name of names)
                spies[name] = spyOn(name)
            mouseClick(button(data.button))
            for (const name of names)
                compare(spies[name].count, name === data.signal ? 1 : 0, name)
        }

        function test_pause_and_fade_start_disabled_and_ignore_clicks() {
            const pauseSpy = spyOn("pause")
            verify(!button("pauseButton").enabled)
            verify(!button("fadeButton").enabled)
            mouseClick(button("pauseButton"))
            mouseClick(button("fadeButton"))
            compare(pauseSpy.count, 0)
            compare(fadeSpy.count, 0)
        }

        // The tint follows what the window writes, not the button's own checked state: a
        // click on a paused button asks again and leaves the tint to the window.
        function test_pause_tint_follows_the_property_only() {
            const pause = button("pauseButton")
            const tint = findChild(pause, "toggledTint")
            const pauseSpy = spyOn("pause")
            bar.pauseEnabled = true
            bar.pauseToggled = true
            verify(tint.visible)
            mouseClick(pause)
            compare(pauseSpy.count, 1)
            compare(bar.pauseToggled, true)
            verify(tint.visible)
            bar.pauseToggled = false
            verify(!tint.visible)
            mouseClick(pause)
            compare(pauseSpy.count, 2)
            verify(!tint.visible)
        }

        function test_fade_click_asks_for_three_seconds() {
            bar.fadeEnabled = true
            mouseClick(button("fadeButton"))
            compare(fadeSpy.count, 1)
            compare(fadeSpy.signalArguments[0][0], 3000)
            verify(!bar.fadeMenu.opened)
        }

        function test_fade_hold_offers_the_times_data() {
            return [
                { tag: "1 second", entry: 0, ms: 1000 },
                { tag: "3 seconds", entry: 1, ms: 3000 },
                { tag: "5 seconds", entry: 2, ms: 5000 },
                { tag: "7 seconds", entry: 3, ms: 7000 },
            ]
        }

        function test_fade_hold_offers_the_times(data) {
            bar.fadeEnabled = true
            holdFade()
            // The release that ends the hold is no click.
            compare(fadeSpy.count, 0)
            compare(bar.fadeMenu.count, 4)
            const entry = bar.fadeMenu.itemAt(data.entry)
            compare(entry.text, data.tag)
            mouseClick(entry)
            compare(fadeSpy.count, 1)
            compare(fadeSpy.signalArguments[0][0], data.ms)
            tryCompare(bar.fadeMenu, "opened", false)
        }

        function test_fade_menu_dismissed_starts_no_fade_data() {
            return [
                { tag: "escape" },
                { tag: "press outside" },
            ]
        }

        function test_fade_menu_dismissed_starts_no_fade(data) {
            bar.fadeEnabled = true
            holdFade()
            if (data.tag === "escape")
                keyClick(Qt.Key_Escape)
            else
                mouseClick(stage, stage.width - 5, stage.height - 5)
            tryCompare(bar.fadeMenu, "visible", false)
            compare(fadeSpy.count, 0)
        }

        function test_hidden_fade_takes_no_width() {
            const group = findChild(bar, "fadeGroup")
            const transport = findChild(bar, "prevButton").parent
            const withFade = bar.implicitWidth
            verify(withFade > group.width + 15)
            bar.showFade = false
            verify(!group.visible)
            // Only the first group is left: neither the fade group nor the gap before it. The
            // row lays out on the next polish.
            tryCompare(bar, "implicitWidth", withFade - group.implicitWidth - 15)
            bar.showFade = true
            tryCompare(bar, "implicitWidth", withFade)
        }

        function test_exit_vamp_glows_while_stopped_and_still_sends() {
            const exitVamp = button("exitVampButton")
            const glow = findChild(exitVamp, "radiantLayer")
            const tint = findChild(exitVamp, "toggledTint")
            const continueSpy = spyOn("continueFlow")
            verify(!glow.visible)
            verify(!tint.visible)
            // Nothing plays: pause and fade are off, the highlight comes from the engine alone.
            bar.highlightContinueButton = true
            verify(glow.visible)
            verify(tint.visible)
            mouseClick(exitVamp)
            compare(continueSpy.count, 1)
            verify(glow.visible)
            bar.highlightContinueButton = false
            verify(!glow.visible)
            verify(!tint.visible)
        }
    }
}
