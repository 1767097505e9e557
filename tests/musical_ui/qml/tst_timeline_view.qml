import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

Item {
    id: stage
    width: 1000
    height: 260

    ZarnTheme {
        id: theme
    }

    Component {
        id: timelineComponent
        TimeLine {
            width: 1000
            height: 220
            baseWidth: 4000
        }
    }

    SignalSpy {
        id: clickSpy
        signalName: "timelineClicked"
    }

    SignalSpy {
        id: scaleSpy
        signalName: "timelineScaleChanged"
    }

    TestCase {
        name: "TimelineView"
        when: windowShown

        property var tl

        function init() {
            tl = createTemporaryObject(timelineComponent, stage)
            verify(tl)
            clickSpy.target = tl
            clickSpy.clear()
            scaleSpy.target = tl
            scaleSpy.clear()
            waitForRendering(tl)
        }

        function content() {
            return findChild(tl, "mainTimeBarsContent")
        }

        // A point on the content at position unit `pos` (at the current scale), in the
        // content's own coordinates.
        function at(pos) {
            return pos * tl.viewScale
        }

        function test_rows_are_set_at_completion() {
            const names = ["keyMarkersBar", "tempoMarkersBar", "meterMarkersBar", "markersBar", "editsBar",
                           "effectBar"]
            const rows = ["rowKey", "rowTempo", "rowMeter", "rowMarkers", "rowEdits", "rowEffects"]
            for (let i = 0; i < names.length; ++i) {
                compare(tl[names[i]].objectName, rows[i])
                compare(tl[names[i]].height, tl.rowSize)
            }
            verify(tl.playheadItem)
            compare(tl.barsRegion.objectName, "barsRegion")
            verify(tl.barsRegion.audioFadeBoxControl)
        }

        function test_zoom_is_clamped_data() {
            return [
                { tag: "in to the maximum", from: 3.5, zoomIn: true, expected: 4.0 },
                { tag: "out to the minimum", from: 0.7, zoomIn: false, expected: 0.15 },
                { tag: "in by a step", from: 1.0, zoomIn: true, expected: 1.6 },
                { tag: "out by a step", from: 2.0, zoomIn: false, expected: 1.4 },
            ]
        }

        function test_zoom_is_clamped(data) {
            tl.viewScale = data.from
            if (data.zoomIn)
                tl.zoomin(0.6, false)
            else
                tl.zoomout(0.6, false)
            fuzzyCompare(tl.viewScale, data.expected, 1e-9)
            compare(tl.enableZoomAnimation, false)
            fuzzyCompare(scaleSpy.signalArguments[scaleSpy.count - 1][0], data.expected, 1e-9)
            compare(scaleSpy.signalArguments[scaleSpy.count - 1][1], false)
        }

        function test_two_plus_clicks_go_on_from_the_animated_value() {
            const plus = tl.zoomInButton
            // The second click must land while the first step still animates; a machine that
            // stalls through the whole 250 ms gets another try rather than a wrong verdict.
            for (let attempt = 0; attempt < 5; ++attempt) {
                tryVerify(() => !tl.zoomAnimation.running, 2000)
                tl.viewScale = 1.0
                scaleSpy.clear()
                mouseClick(plus)
                tryVerify(() => tl.viewScale > 1.0, 1000)
                const reached = tl.viewScale
                if (reached >= 1.6 - 1e-9)
                    continue
                mouseClick(plus)
                tryVerify(() => !tl.zoomAnimation.running, 2000)
                // From a value between 1.0 and 1.6 the second step ends between 1.6 and 2.2;
                // from the first step's target it would end at 2.2.
                if (tl.viewScale >= 2.2 - 1e-9)
                    continue
                verify(tl.viewScale > 1.6 + 1e-9, "ended at " + tl.viewScale)
                // Every animated value went out as a scale change.
                verify(scaleSpy.count > 2)
                return
            }
            fail("the zoom animation was never caught under way")
        }

        function test_ctrl_wheel_zooms_by_a_twelfth_data() {
            return [
                { tag: "wheel in", dy: 120, expected: 1.0 + 1 / 12 },
                { tag: "touchpad in", dy: 3, expected: 1.0 + 1 / 12 },
                { tag: "wheel out", dy: -120, expected: 1.0 - 1 / 12 },
                { tag: "touchpad out", dy: -2, expected: 1.0 - 1 / 12 },
            ]
        }

        function test_ctrl_wheel_zooms_by_a_twelfth(data) {
            mouseWheel(tl, 500, 100, 0, data.dy, Qt.NoButton, Qt.ControlModifier)
            fuzzyCompare(tl.viewScale, data.expected, 1e-9)
            compare(tl.flickable.contentX, 0)
        }

        function test_wheel_scrolls_within_the_content() {
            const flick = tl.flickable
            const last = flick.contentWidth - flick.width
            verify(last > 100)
            mouseWheel(tl, 500, 100, 0, -120)
            compare(flick.contentX, 0)
            mouseWheel(tl, 500, 100, 0, 120)
            compare(flick.contentX, 25)
            mouseWheel(tl, 500, 100, 0, 120)
            compare(flick.contentX, 50)
            mouseWheel(tl, 500, 100, 0, -120)
            compare(flick.contentX, 25)
            // A purely sideways movement does not scroll.
            mouseWheel(tl, 500, 100, 120, 0)
            compare(flick.contentX, 25)
            flick.contentX = last - 10
            mouseWheel(tl, 500, 100, 0, 120)
            compare(flick.contentX, last)
            mouseWheel(tl, 500, 100, 0, 120)
            compare(flick.contentX, last)
        }

        function test_wheel_on_short_content_stays_at_the_start() {
            tl.baseWidth = 100
            mouseWheel(tl, 500, 100, 0, 120)
            compare(tl.flickable.contentX, 0)
        }

        function test_wheel_without_scroll_factor_does_nothing() {
            tl.scrollDelta = 0
            mouseWheel(tl, 500, 100, 0, 120)
            compare(tl.flickable.contentX, 0)
        }

        function test_click_seeks_and_clears_the_band() {
            const c = content()
            tl.viewScale = 2.0
            tl.selectionActive = true
            tl.selectionStart = 300
            tl.selectionEnd = 350
            mouseClick(c, at(101.6), 60)
            compare(clickSpy.count, 1)
            compare(clickSpy.signalArguments[0][0], 101)
            compare(tl.selectionActive, false)
            compare(tl.selecting, false)
            compare(tl.selectingStart, true)
        }

        function test_drag_leaves_a_band_data() {
            return [
                { tag: "left to right", from: 100, to: 180 },
                { tag: "right to left", from: 180, to: 100 },
            ]
        }

        function test_drag_leaves_a_band(data) {
            const c = content()
            mousePress(c, at(data.from), 60)
            mouseMove(c, at((data.from + data.to) / 2), 60)
            mouseMove(c, at(data.to), 60)
            mouseRelease(c, at(data.to), 60)
            compare(clickSpy.count, 0)
            compare(tl.selectionActive, true)
            compare(tl.selectionStart, Math.min(data.from, data.to))
            compare(tl.selectionEnd, Math.max(data.from, data.to))
            const band = findChild(tl, "selection")
            verify(band.visible)
            compare(band.x, Math.min(data.from, data.to) * tl.viewScale)
            compare(band.width, Math.abs(data.to - data.from) * tl.viewScale)
        }

        function test_press_inside_the_band_hides_it() {
            const c = content()
            tl.selectionActive = true
            tl.selectionStart = 100
            tl.selectionEnd = 200
            mousePress(c, at(150), 60)
            mouseMove(c, at(170), 60)
            mouseRelease(c, at(170), 60)
            compare(tl.selectionActive, false)
            verify(!findChild(tl, "selection").visible)
            compare(clickSpy.count, 0)
        }

        function test_set_view_start_puts_the_position_at_the_left() {
            tl.viewScale = 2.0
            tl.setViewStart(300)
            compare(tl.flickable.contentX, 600)
            compare(tl.viewStart, 300)
            tl.setViewStart(0)
            compare(tl.flickable.contentX, 0)
            // Position 0 stands 30 pixels into the scrolling area.
            const c = content()
            compare(c.mapToItem(tl.flickable, 0, 0).x, tl.paddingBeforeTimelineStart)
            compare(tl.viewStart, 0)
            // The right edge of the area, in position units.
            compare(tl.viewEnd, Math.trunc((tl.flickable.width - tl.paddingBeforeTimelineStart) / 2.0))
        }

        function test_view_start_overstates_the_left_edge_by_the_padding() {
            tl.viewScale = 0.5
            tl.setViewStart(1000)
            const c = content()
            // The position shown at the left edge of the area is 30 / scale units before viewStart.
            const shownAtLeft = -c.mapToItem(tl.flickable, 0, 0).x / tl.viewScale
            compare(tl.viewStart - shownAtLeft, tl.paddingBeforeTimelineStart / tl.viewScale)
        }

        // A right-button drag; the first small step starts the drag.
        function pan(fromX, toX) {
            const flick = tl.flickable
            mousePress(flick, fromX, 100, Qt.RightButton)
            mouseMove(flick, fromX - 1, 100, -1, Qt.RightButton)
            mouseMove(flick, toX, 100, -1, Qt.RightButton)
            mouseRelease(flick, toX, 100, Qt.RightButton)
        }

        function test_right_button_pans_within_the_content() {
            const flick = tl.flickable
            const last = flick.contentWidth - flick.width
            flick.contentX = 200
            pan(400, 300)
            tryCompare(flick, "contentX", 300)
            pan(300, 700)
            tryCompare(flick, "contentX", 0)
            flick.contentX = last - 10
            pan(400, 100)
            tryCompare(flick, "contentX", last)
            // No selection and no seek came of it.
            compare(clickSpy.count, 0)
            compare(tl.selectionActive, false)
        }

        function test_scaled_position_is_a_tick() {
            tl.viewScale = 2.0
            compare(tl.calculateScaledPosition(100), 1250)
            compare(tl.calculateScaledPosition(tl.selectionStart * tl.viewScale), tl.selectionStart * 25)
            compare(tl.selectLargestWithSign(-3, 2), -3)
            compare(tl.selectLargestWithSign(2, -2), 2)
        }
    }
}
