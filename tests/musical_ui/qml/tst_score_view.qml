import QtQuick
import QtTest
import com.lanternhillstudios.musical_ui

// The score view alone: what it shows for a current index, what it asks for, the typed page,
// zoom and the page mode. Pages are small wide PNGs, ten colours.
Item {
    id: stage
    width: 800
    height: 600

    readonly property var pages: [
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAgUlEQVR4nO3OMREAIAwAsYpFLLI6IuEzcBcBmbnne/oBpR9Q+gGlH1D6AaUfUPoBpR9Q+gGlH1D6AaUfUPoBpR9Q+gGlH1D6AaUfUPoBpR9Q+gGlH1D6AaUfUPoBpR9Q+gGlH1D6AaUfUPoBpR9Q+gGlH1D6AaUfUPoBpR9Q+oFkAfdze7G0m1/gAAAAAElFTkSuQmCC",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVUlEQVR4nO3QMQ0AMAwEsYAoxJIMu26B0M9g6QCcXKevpoofrAoHDhw4cODAgQMHjnw4cODAgQMHDhw4cOTDgQMHDhw4cODAgSMfDhw4cODAgQPHrx4N0MIBfbN/pAAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVUlEQVR4nO3QMQ0AMAwEscApsKILym6B0M9g6QCcXKevpoofrAoHDhw4cODAgQMHjnw4cODAgQMHDhw4cOTDgQMHDhw4cODAgSMfDhw4cODAgQPHrx4kHghgtG3fwgAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVUlEQVR4nO3QMQ0AMAwEsQArnLIK2W6B0M9g6QCcXKevpoofrAoHDhw4cODAgQMHjnw4cODAgQMHDhw4cOTDgQMHDhw4cODAgSMfDhw4cODAgQPHrx46bE6wXEweuQAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVUlEQVR4nO3QMQ0AMAwEsUAsiMIJ6G6B0M9g6QCcXKevpoofrAoHDhw4cODAgQMHjnw4cODAgQMHDhw4cOTDgQMHDhw4cODAgSMfDhw4cODAgQPHrx5QupUAG9u6eQAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAU0lEQVR4nO3QQQ0AQAgEMcRiA+/3OwksjyYjYNLqaf0qfnAqHDhw4MCBAwcOHDjy4cCBAwcOHDhw4MCRDwcOHDhw4MCBAweOfDhw4MCBAwcOHFs9ZwjbUNowPPMAAAAASUVORK5CYII=",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVElEQVR4nO3QoQ0AMAwEsQxbXJzxyzJCP8DSDXBy9T2aKn6wKhw4cODAgQMHDhw48uHAgQMHDhw4cODAkQ8HDhw4cODAgQMHjnw4cODAgQMHDhy/en1WIa9llxr/AAAAAElFTkSuQmCC",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVUlEQVR4nO3QMQ0AMAwEsTDtUjgB3S0Q+hksHYCTq8/VVPGDVeHAgQMHDhw4cODAkQ8HDhw4cODAgQMHjnw4cODAgQMHDhw4cOTDgQMHDhw4cOD41QOTpGf//gTUDwAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVUlEQVR4nO3QMQ0AMAwEsUAsiAIL1G6B0M9g6QCcXH2upoofrAoHDhw4cODAgQMHjnw4cODAgQMHDhw4cOTDgQMHDhw4cODAgSMfDhw4cODAgQPHrx6p8q5PBp5H5gAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAFoAAAAoCAIAAADxIHqfAAAAVUlEQVR4nO3QMQ0AMAwEsVArl0IMwG6B0M9g6QCcXH2upoofrAoHDhw4cODAgQMHjnw4cODAgQMHDhw4cOTDgQMHDhw4cODAgSMfDhw4cODAgQPHrx7AQPSfLh3LTwAAAABJRU5ErkJggg=="
    ]
    // Pages narrower than their box: the blank beside them is trimmed.
    readonly property var tallPages: [
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAACgAAAA8CAIAAACb22+3AAAAN0lEQVR4nO3NsQkAAAgDsP5/rXMnzxAhkD1p50TEYrFYLBaLxWKxWCwWi8VisVgsFovFYvGneAGUYhsWDkn2aQAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAACgAAAA8CAIAAACb22+3AAAAN0lEQVR4nO3NsQkAAAgDsP5/nud08gwRAtmTdk5ELBaLxWKxWCwWi8VisVgsFovFYrFYLBZ/ihe6dgHHxBOigQAAAABJRU5ErkJggg==",
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAACgAAAA8CAIAAACb22+3AAAAN0lEQVR4nO3NsQkAAAgDsP5/j9d18gwRAtmTdk5ELBaLxWKxWCwWi8VisVgsFovFYrFYLBZ/ihfgiuhpkPc2VgAAAABJRU5ErkJggg=="
    ]

    Component {
        id: viewComponent
        ScoreView {
            width: 800
            height: 600
        }
    }

    SignalSpy {
        id: asked
        signalName: "pageChanged"
    }

    TestCase {
        name: "ScoreView"
        when: windowShown

        property var view: null

        function makeView(list, index, twoUp) {
            view = createTemporaryObject(viewComponent, stage)
            verify(view)
            view.twoUpMode = twoUp
            if (list !== undefined)
                view.imageListModel = list
            view.currentIndex = index
            asked.target = view
            asked.clear()
            return view
        }

        function shows(left, right) {
            tryVerify(() => view.leftImage.source.toString() === left, 5000, "left page")
            if (right !== undefined)
                tryVerify(() => view.rightImage.source.toString() === right, 5000, "right page")
            tryCompare(view.leftPreload, "visible", false)
        }

        function lastAsked() {
            compare(asked.count, 1)
            return asked.signalArguments[0][0]
        }

        function test_withoutList() {
            makeView(undefined, 0, false)
            compare(view.counterText, "No Score")
            mouseClick(view.nextButton)
            compare(asked.count, 0)
            mouseClick(view.previousButton)
            compare(lastAsked(), 1)
        }

        function test_emptyList() {
            makeView([], 0, false)
            compare(view.counterText, "Page 1 of 0")
            mouseClick(view.nextButton)
            compare(lastAsked(), 0)
            compare(view.leftImage.source.toString(), "")
        }

        function test_buttons_data() {
            return [
                { tag: "single, last page, Next", twoUp: false, index: 9, button: "next", asks: 10 },
                { tag: "single, first page, Previous", twoUp: false, index: 0, button: "previous", asks: 1 },
                { tag: "single, Next", twoUp: false, index: 4, button: "next", asks: 6 },
                { tag: "two-up, Previous from 3", twoUp: true, index: 3, button: "previous", asks: 2 },
                { tag: "two-up, Next from 1", twoUp: true, index: 1, button: "next", asks: 4 },
                { tag: "two-up, Next from 9", twoUp: true, index: 9, button: "next", asks: 10 },
            ]
        }

        function test_buttons(data) {
            makeView(stage.pages, data.index, data.twoUp)
            mouseClick(data.button === "next" ? view.nextButton : view.previousButton)
            compare(lastAsked(), data.asks)
            // Asking moves nothing: the engine's report does.
            compare(view.currentIndex, data.index)
        }

        function test_pagesShown_data() {
            const p = stage.pages
            return [
                { tag: "single, 0", list: p, twoUp: false, index: 0, left: p[0] },
                { tag: "single, 9", list: p, twoUp: false, index: 9, left: p[9] },
                { tag: "two-up, 0: blank and page 1", list: p, twoUp: true, index: 0, left: "", right: p[0] },
                { tag: "two-up, 1: pages 2 and 3", list: p, twoUp: true, index: 1, left: p[1], right: p[2] },
                { tag: "two-up, 2: pages 2 and 3", list: p, twoUp: true, index: 2, left: p[1], right: p[2] },
                { tag: "two-up, four pages, 3: page 4 and blank", list: p.slice(0, 4), twoUp: true, index: 3,
                  left: p[3], right: "" },
            ]
        }

        function test_pagesShown(data) {
            // Made on the first page, then turned as the controller turns it.
            makeView(data.list, 0, data.twoUp)
            view.currentIndex = data.index
            shows(data.left, data.right)
            compare(view.counterText, "Page " + (data.index + 1) + " of " + data.list.length)
        }

        function test_turnsFollowTheIndex() {
            makeView(stage.pages, 0, false)
            for (let i of [1, 5, 2, 9, 0]) {
                view.currentIndex = i
                shows(stage.pages[i])
            }
            // The index the engine reports may lie outside the list: no page then.
            view.currentIndex = 12
            shows("")
            view.currentIndex = -1
            shows("")
            view.currentIndex = 3
            shows(stage.pages[3])
        }

        function test_typedPage_data() {
            return [
                { tag: "single, 7 of 5", count: 5, twoUp: false, typed: "7", index: 4 },
                { tag: "single, 3", count: 5, twoUp: false, typed: "3", index: 2 },
                { tag: "single, 0", count: 5, twoUp: false, typed: "0", index: 0 },
                { tag: "two-up, 5", count: 10, twoUp: true, typed: "5", index: 3 },
                { tag: "two-up, 4", count: 10, twoUp: true, typed: "4", index: 3 },
                { tag: "two-up, 1", count: 10, twoUp: true, typed: "1", index: 0 },
                { tag: "not a number", count: 10, twoUp: false, typed: "abc", index: 6 },
                { tag: "not a whole number", count: 10, twoUp: false, typed: "2.5", index: 6 },
            ]
        }

        function test_typedPage(data) {
            makeView(stage.pages.slice(0, data.count), 6, data.twoUp)
            const prompt = view.pagePrompt
            prompt.open()
            tryCompare(prompt.field, "activeFocus", true)
            for (let i = 0; i < data.typed.length; ++i)
                keyClick(data.typed[i])
            mouseClick(prompt.okButton)
            tryCompare(prompt.popup, "opened", false)
            compare(view.currentIndex, data.index)
            // The typed page is not asked of the engine.
            compare(asked.count, 0)
        }

        function test_zoomKeepsTheMiddle_data() {
            return [
                { tag: "wide pages, single", list: stage.pages, twoUp: false, index: 0, zoom: 2.0 },
                { tag: "tall pages, single", list: stage.tallPages, twoUp: false, index: 0, zoom: 2.6 },
                { tag: "tall pages, spread", list: stage.tallPages, twoUp: true, index: 1, zoom: 2.0 },
            ]
        }

        function test_zoomKeepsTheMiddle(data) {
            makeView(data.list, 0, data.twoUp)
            view.currentIndex = data.index
            tryCompare(view.leftImage, "status", Image.Ready)
            tryCompare(view.leftPreload, "visible", false)
            const area = view.pageArea
            compare(area.contentX, 0)
            view.zoomSlider.value = data.zoom
            verify(area.contentWidth > area.width)
            // The middle of the pages is still in the middle of the view.
            fuzzyCompare(area.contentX + area.width / 2, area.contentWidth / 2, 1)
            area.contentX = area.contentWidth - area.width
            const ratio = (area.contentX + area.width / 2) / area.contentWidth
            view.zoomSlider.value = data.zoom + 0.4
            fuzzyCompare((area.contentX + area.width / 2) / area.contentWidth, ratio, 0.001)
            // Back to a width that fits: no scroll left over.
            view.zoomSlider.value = 1.0
            compare(area.contentX, 0)
        }

        function test_pageModeRefreshesTheLeftPage() {
            makeView(stage.pages, 2, false)
            shows(stage.pages[2])
            mouseClick(view.pageModeButton)
            compare(view.twoUpMode, true)
            compare(view.pageModeButton.text, "Single Page")
            shows(stage.pages[1], stage.pages[2])
            mouseClick(view.pageModeButton)
            compare(view.pageModeButton.text, "Double Page")
            shows(stage.pages[2])
        }

        function test_newListFillsAnEmptyPage() {
            makeView(undefined, 1, false)
            compare(view.leftImage.source.toString(), "")
            view.imageListModel = stage.pages
            shows(stage.pages[1])
            // A page already shown stays until the next turn.
            view.imageListModel = stage.pages.slice().reverse()
            shows(stage.pages[1])
            view.updateImages()
            shows(stage.pages[8])
        }
    }
}
