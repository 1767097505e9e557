import QtQuick
import QtTest
import com.lanternhillstudios.musical_ui

Item {
    id: stage
    width: 1000
    height: 200

    // One timeline row; the items are its children, as on the timeline.
    Item {
        id: row
        y: 80
        width: 1000
        height: 50
    }

    Component {
        id: regionComponent
        TimeRegion {}
    }
    Component {
        id: caesuraComponent
        TimeLineCaesura {}
    }
    Component {
        id: glyphComponent
        TimeLineGlyph {}
    }
    Component {
        id: markerComponent
        TimeLineMarker {}
    }

    SignalSpy {
        id: clickSpy
        signalName: "clicked"
    }
    SignalSpy {
        id: doubleSpy
        signalName: "doubleClicked"
    }
    SignalSpy {
        id: dragSpy
        signalName: "dragged"
    }

    TestCase {
        name: "TimelineItems"
        when: windowShown

        function init() {
            // Away from every item, so no hover is left over from the test before.
            mouseMove(stage, 990, 5)
            clickSpy.clear()
            doubleSpy.clear()
            dragSpy.clear()
        }

        // An item of `type` on the row at `position` units and `scale`, given the way its
        // controller gives them: through signals for a range, as properties for the others.
        function make(type, props, position, scale) {
            const components = { region: regionComponent, caesura: caesuraComponent,
                                 glyph: glyphComponent, marker: markerComponent }
            const item = createTemporaryObject(components[type], row, props || {})
            verify(item, type)
            if (type === "region") {
                item.basePositionSet(position)
                item.viewScaleSet(scale)
            } else {
                item.basePosition = position
                item.viewScale = scale
            }
            for (const spy of [clickSpy, doubleSpy, dragSpy]) {
                spy.target = item
                spy.clear()
            }
            return item
        }

        function part(item, name) {
            const found = findChild(item, name)
            verify(found, name)
            return found
        }

        // Drags the pointer n pixels sideways from the middle of `area`. The first small step
        // and the step over the threshold only start the drag: the dragged item moves by
        // exactly n from where the drag started.
        function dragBy(area, n) {
            const p = area.mapToItem(row, area.width / 2, area.height / 2)
            const s = n < 0 ? -1 : 1
            const start = p.x + s * (area.drag.threshold + 1)
            mousePress(row, p.x, p.y)
            mouseMove(row, p.x + s, p.y, -1, Qt.LeftButton)
            mouseMove(row, start, p.y, -1, Qt.LeftButton)
            mouseMove(row, start + n / 2, p.y, -1, Qt.LeftButton)
            mouseMove(row, start + n, p.y, -1, Qt.LeftButton)
            mouseRelease(row, start + n, p.y)
        }

        function test_drag_reports_data() {
            return [
                { tag: "range body", type: "region", props: { baseWidth: 100 }, position: 100, scale: 1,
                  area: "mouseArea", n: 40, expected: [140, 240, false, false] },
                { tag: "range body leftwards at scale 2", type: "region", props: { baseWidth: 50 },
                  position: 100, scale: 2, area: "mouseArea", n: -30, expected: [85, 135, false, false] },
                { tag: "range right handle at scale 2", type: "region", props: { baseWidth: 50 },
                  position: 100, scale: 2, area: "rightHandleArea", n: 40, expected: [100, 170, false, true] },
                { tag: "range right handle stops at the left handle", type: "region",
                  props: { baseWidth: 100 }, position: 100, scale: 1, area: "rightHandleArea", n: -200,
                  expected: [100, 106, false, true] },
                { tag: "range left handle", type: "region", props: { baseWidth: 100 }, position: 100,
                  scale: 1, area: "leftHandleArea", n: 30, expected: [130, 200, true, false] },
                { tag: "range left handle leftwards at scale 2", type: "region", props: { baseWidth: 50 },
                  position: 100, scale: 2, area: "leftHandleArea", n: -40, expected: [80, 150, true, false] },
                // The left handle stops at the right one, leaving 1.5 units at scale 4.
                { tag: "range left handle past the right one", type: "region", props: { baseWidth: 10 },
                  position: 25, scale: 4, area: "leftHandleArea", n: 200, expected: [32, 35, true, false] },
                { tag: "caesura at scale 2", type: "caesura", props: {}, position: 100, scale: 2,
                  area: "mouseArea", n: 20, expected: [110, 115] },
                { tag: "glyph centre at scale 2", type: "glyph", props: {}, position: 100, scale: 2,
                  area: "mouseArea", n: 40, expected: [120, 130] },
                { tag: "glyph without OSC", type: "glyph", props: { enableOsc: false }, position: 100,
                  scale: 1, area: "mouseArea", n: 25, expected: [125, 145] },
                // A marker's end depends on the measured width of its text.
                { tag: "marker label at scale 2", type: "marker", props: { labelText: "Verse" },
                  position: 100, scale: 2, area: "labelArea", n: 30, expected: [115, null] },
                { tag: "marker diamond", type: "marker", props: { visibleLabel: false }, position: 100,
                  scale: 1, area: "diamondArea", n: -30, expected: [70, null] },
            ]
        }

        function test_drag_reports(data) {
            const props = Object.assign({ editable: true }, data.props)
            const item = make(data.type, props, data.position, data.scale)
            dragBy(part(item, data.area), data.n)

            compare(dragSpy.count, 1)
            const args = dragSpy.signalArguments[0]
            compare(args.length, data.expected.length)
            const expected = data.expected.slice()
            if (expected[1] === null)
                expected[1] = Math.trunc((item.x + item.width) / data.scale)
            for (let i = 0; i < expected.length; ++i)
                compare(args[i], expected[i], "argument " + i)
            compare(clickSpy.count, 0)

            if (data.type === "region") {
                const left = part(item, "leftHandle")
                const right = part(item, "rightHandle")
                verify(right.x >= left.x + left.width, "handles crossed: " + left.x + ", " + right.x)
            }
        }

        function test_not_editable_stays_put_data() {
            return [
                { tag: "range body", type: "region", props: {}, area: "mouseArea" },
                { tag: "range left handle", type: "region", props: {}, area: "leftHandleArea" },
                { tag: "range right handle", type: "region", props: {}, area: "rightHandleArea" },
                { tag: "caesura", type: "caesura", props: {}, area: "mouseArea" },
                { tag: "glyph", type: "glyph", props: {}, area: "mouseArea" },
                { tag: "marker label", type: "marker", props: {}, area: "labelArea" },
                { tag: "marker diamond", type: "marker", props: { visibleLabel: false }, area: "diamondArea" },
            ]
        }

        function test_not_editable_stays_put(data) {
            const item = make(data.type, data.props, 100, 1.5)
            const x = item.x
            const width = item.width
            dragBy(part(item, data.area), 40)
            compare(item.x, x)
            compare(item.width, width)
            compare(dragSpy.count, 0)
            if (data.type === "region") {
                compare(part(item, "rightHandle").x, width - 3)
                compare(part(item, "leftHandle").x, 0)
            }
        }

        function test_range_handle_cursor_follows_editable_data() {
            return [
                { tag: "editable", editable: true, cursor: Qt.SplitHCursor },
                { tag: "not editable", editable: false, cursor: Qt.ArrowCursor },
            ]
        }

        function test_range_handle_cursor_follows_editable(data) {
            const region = make("region", { editable: data.editable }, 100, 1)
            compare(part(region, "leftHandleArea").cursorShape, data.cursor)
            compare(part(region, "rightHandleArea").cursorShape, data.cursor)
            compare(part(region, "mouseArea").cursorShape, Qt.PointingHandCursor)
        }

        function test_clicks_data() {
            return [
                { tag: "range not editable", type: "region", props: {}, area: "mouseArea",
                  clicks: 1, doubles: 1 },
                { tag: "caesura not editable", type: "caesura", props: {}, area: "mouseArea",
                  clicks: 1, doubles: 1 },
                { tag: "glyph not editable", type: "glyph", props: {}, area: "mouseArea",
                  clicks: 0, doubles: 0 },
                { tag: "glyph editable", type: "glyph", props: { editable: true }, area: "mouseArea",
                  clicks: 1, doubles: 1 },
                { tag: "glyph without OSC", type: "glyph", props: { editable: true, enableOsc: false },
                  area: "mouseArea", clicks: 1, doubles: 0 },
                { tag: "marker label not editable", type: "marker", props: {}, area: "labelArea",
                  clicks: 0, doubles: 1 },
                { tag: "marker label editable", type: "marker", props: { editable: true }, area: "labelArea",
                  clicks: 1, doubles: 1 },
                { tag: "marker diamond not editable", type: "marker", props: { visibleLabel: false },
                  area: "diamondArea", clicks: 0, doubles: 0 },
                { tag: "marker diamond editable", type: "marker", props: { visibleLabel: false, editable: true },
                  area: "diamondArea", clicks: 1, doubles: 0 },
            ]
        }

        function test_clicks(data) {
            const item = make(data.type, data.props, 100, 1)
            const area = part(item, data.area)
            mouseClick(area)
            compare(clickSpy.count, data.clicks)
            compare(doubleSpy.count, 0)
            mouseDoubleClickSequence(area)
            compare(doubleSpy.count, data.doubles)
            compare(dragSpy.count, 0)
        }

        function test_glyph_without_osc_is_dimmed() {
            const glyph = make("glyph", {}, 100, 1)
            const image = part(glyph, "image")
            compare(image.opacity, 1)
            glyph.enableOsc = false
            compare(image.opacity, 0.3)
        }

        function test_images_load_data() {
            return [
                { tag: "caesura", type: "caesura", source: "qrc:/images/caesura.svg" },
                { tag: "glyph default", type: "glyph", source: "qrc:/images/sfx.svg" },
            ]
        }

        function test_images_load(data) {
            const image = part(make(data.type, {}, 10, 1), "image")
            compare(String(image.source), data.source)
            tryCompare(image, "status", Image.Ready)
        }

        function test_glyph_is_centred_on_its_position() {
            const glyph = make("glyph", { glyphPath: "qrc:/images/lan.svg" }, 100, 2)
            compare(glyph.x + glyph.width / 2, 200)
            compare(String(part(glyph, "image").source), "qrc:/images/lan.svg")
        }

        function test_range_signals_place_the_right_handle() {
            const region = make("region", { baseWidth: 80 }, 30, 1)
            const right = part(region, "rightHandle")
            compare(region.x, 30)
            compare(right.x, region.width - 3)
            compare(region.xPos, 30)
            region.viewScaleSet(2)
            compare(region.width, 160)
            compare(right.x, 157)
            compare(region.xPos, 60)
            region.baseWidth = 40
            region.basePositionSet(50)
            compare(region.x, 100)
            compare(right.x, region.width - 3)
            compare(right.x, 77)
            compare(region.xPos, 100)
            compare(region.height, row.height)
        }

        function test_range_hover_lightens_and_restores() {
            const region = make("region", { baseColor: "#0d6d97" }, 100, 1)
            verify(Qt.colorEqual(region.color, "#0d6d97"))
            mouseMove(region, region.width / 2, region.height / 2)
            tryVerify(() => Qt.colorEqual(region.color, Qt.lighter("#0d6d97", 1.3)), 2000,
                      "not lightened: " + region.color)
            mouseMove(stage, 990, 5)
            tryVerify(() => Qt.colorEqual(region.color, "#0d6d97"), 2000, "not restored: " + region.color)
        }

        function test_marker_without_label_is_a_diamond() {
            const marker = make("marker", { visibleLabel: false, labelText: "Bridge" }, 100, 1)
            const diamond = part(marker, "diamond")
            verify(!part(marker, "label").visible)
            verify(diamond.visible)
            compare(marker.height, 4)
            compare(diamond.width, 8)
            compare(diamond.height, 8)
            compare(diamond.rotation, 45)
            compare(diamond.x, -4)
            compare(diamond.y, 4)
        }

        function test_marker_label_geometry() {
            const marker = make("marker", { labelText: "Chorus" }, 100, 1.5)
            const label = part(marker, "label")
            verify(label.visible)
            verify(!part(marker, "diamond").visible)
            compare(marker.height, 20)
            compare(marker.x, 150)
            compare(label.y, -2)
            compare(label.text, "Chorus ")
            // The width follows the text.
            const width = marker.width
            verify(width > 5, "width " + width)
            marker.labelText = "Chorus, second time"
            verify(marker.width > width, "width " + marker.width)
        }

        function test_marker_diamond_hover_data() {
            return [
                { tag: "editable", editable: true, fill: "white" },
                { tag: "not editable", editable: false, fill: "#404040" },
            ]
        }

        function test_marker_diamond_hover(data) {
            const marker = make("marker", { visibleLabel: false, labelText: "Bridge", editable: data.editable },
                                100, 1)
            const diamond = part(marker, "diamond")
            const loader = part(marker, "toolTipLoader")
            verify(!loader.item) // made on the first hover only
            mouseMove(diamond, diamond.width / 2, diamond.height / 2)
            tryVerify(() => loader.item !== null)
            const tip = loader.item
            tryCompare(tip, "visible", true)
            compare(tip.text, "Bridge")
            verify(Qt.colorEqual(diamond.color, data.fill), "fill " + diamond.color)
            mouseMove(stage, 990, 5)
            tryCompare(tip, "visible", false)
            verify(Qt.colorEqual(diamond.color, "#404040"))
        }

        function test_selection_frame_follows_selected_data() {
            return [
                { tag: "range", type: "region", props: {}, frame: "selectionFrame" },
                { tag: "caesura", type: "caesura", props: {}, frame: "selectionFrame" },
                { tag: "glyph", type: "glyph", props: {}, frame: "selectionFrame" },
                { tag: "marker label", type: "marker", props: {}, frame: "labelFrame" },
                { tag: "marker diamond", type: "marker", props: { visibleLabel: false }, frame: "diamondSelection" },
            ]
        }

        function test_selection_frame_follows_selected(data) {
            const item = make(data.type, data.props, 100, 1)
            const frame = part(item, data.frame)
            verify(!frame.visible)
            item.selected = true
            verify(frame.visible)
            verify(Qt.colorEqual(frame.border.color, "white"))
            item.selected = false
            verify(!frame.visible)
        }
    }
}
