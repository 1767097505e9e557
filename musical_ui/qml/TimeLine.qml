import QtQuick
import Qt5Compat.GraphicalEffects
import QtQuick.Controls
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The timeline strip: a fixed label column and a content area that scrolls and zooms. The
// content is laid out in position units of 25 ticks, each viewScale pixels wide. The song's
// items are put into the rows and the bars region by the controller behind this view.
Rectangle {
    id: control

    property int rowSize: 16
    property int rowSpacing: 10
    property double scaleDeltaHighRes: 1.0
    property double minScale: 0.15
    property double maxScale: 4.0
    property double viewScale: 1.0
    property double scrollDelta: 1.0
    property bool enableZoomAnimation: false

    property var keyMarkersBar: ({})
    property var tempoMarkersBar: ({})
    property var meterMarkersBar: ({})
    property var markersBar: ({})
    property var editsBar: ({})
    property var effectBar: ({})

    property int selectionStart: 0
    property int selectionEnd: 0
    property bool selecting: true
    property bool selectingStart: true
    property var playheadItem: playhead
    property var barsRegion: bars
    property int baseWidth: 0
    property int viewStart: Math.trunc(mainFlick.contentX / viewScale)
    property int viewEnd: Math.trunc((mainFlick.contentX - paddingBeforeTimelineStart + masterRHS.width) / viewScale)
    property bool selectionActive: false
    property int paddingBeforeTimelineStart: 30

    // Reached by the tests and the pictures.
    property alias flickable: mainFlick
    property alias scrollBar: hbar
    property alias zoomOutButton: zoomOutButton
    property alias zoomInButton: zoomInButton
    readonly property alias zoomAnimation: zoomAnimation

    signal setViewStart(int val)
    signal timelineScaleChanged(double val, bool initializing)
    signal timelineClicked(int pos)

    color: theme.default_bg_color

    function calculateScaledPosition(position) {
        return (position / viewScale) * 25
    }

    // The animated value is the one read, so a second step during an animation goes on from
    // where the first one has got to.
    function zoomin(delta, doAnimation) {
        enableZoomAnimation = doAnimation
        if (viewScale + delta < maxScale)
            viewScale = viewScale + delta
        else
            viewScale = maxScale
        enableZoomAnimation = false
    }

    function zoomout(delta, doAnimation) {
        enableZoomAnimation = doAnimation
        if (viewScale - delta > minScale)
            viewScale = viewScale - delta
        else
            viewScale = minScale
        enableZoomAnimation = false
    }

    function selectLargestWithSign(a, b) {
        return Math.abs(a) >= Math.abs(b) ? a : b
    }

    Behavior on viewScale {
        enabled: control.enableZoomAnimation
        NumberAnimation {
            id: zoomAnimation
            duration: 250
            easing.type: Easing.InOutQuad
        }
    }

    onViewScaleChanged: timelineScaleChanged(viewScale, false)
    onSetViewStart: (val) => { mainFlick.contentX = val * viewScale }

    Component.onCompleted: {
        keyMarkersBar = timelineBars.itemAt(1)
        tempoMarkersBar = timelineBars.itemAt(2)
        meterMarkersBar = timelineBars.itemAt(3)
        markersBar = timelineBars.itemAt(4)
        editsBar = timelineBars.itemAt(5)
        effectBar = timelineBars.itemAt(6)
    }

    ZarnTheme {
        id: theme
    }

    Rectangle {
        id: barLeft
        width: 90
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        color: theme.default_bg_color

        Column {
            id: mainCol
            anchors.fill: parent
            anchors.margins: 8
            spacing: control.rowSpacing

            Repeater {
                model: ["Bars:Beats", "Key", "Tempo", "Meter", "Markers", "Events", "Effects"]
                Text {
                    required property string modelData
                    width: mainCol.width
                    height: control.rowSize
                    text: modelData
                    horizontalAlignment: Text.AlignRight
                    verticalAlignment: Text.AlignVCenter
                    color: theme.light_text_color
                    font: theme.default_font
                }
            }

            Row {
                anchors.right: parent.right
                spacing: 5

                FlatButton {
                    id: zoomOutButton
                    objectName: "zoomOutButton"
                    text: "-"
                    font: theme.default_font
                    toolTip.text: qsTr("Zoom out timeline")
                    onReleased: control.zoomout(0.6, true)
                }
                FlatButton {
                    id: zoomInButton
                    objectName: "zoomInButton"
                    text: "+"
                    font: theme.default_font
                    toolTip.text: qsTr("Zoom in timeline")
                    onReleased: control.zoomin(0.6, true)
                }
            }
        }
    }

    Rectangle {
        id: masterRHS
        anchors.left: barLeft.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: hbar.top
        color: theme.light_background_color

        Rectangle {
            width: control.paddingBeforeTimelineStart
            height: parent.height
            anchors.left: parent.left
            color: "#2b2b2b"
        }

        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.RightButton
            onWheel: (wheel) => {
                if (wheel.modifiers & Qt.ControlModifier) {
                    // One step per event whatever the device, so a touchpad zooms like a wheel.
                    const step = control.scaleDeltaHighRes / 12
                    if (wheel.angleDelta.y > 0)
                        control.zoomin(step, false)
                    else
                        control.zoomout(step, false)
                    return
                }
                const delta = wheel.angleDelta.y * control.scrollDelta
                if (control.scrollDelta === 0 || delta === 0)
                    return
                if (control.selectLargestWithSign(wheel.angleDelta.x, wheel.angleDelta.y) < 0)
                    mainFlick.contentX = Math.max(0, mainFlick.contentX - 25)
                else
                    mainFlick.contentX = Math.max(0, Math.min(mainFlick.contentWidth - mainFlick.width,
                                                              mainFlick.contentX + 25))
            }
        }

        Flickable {
            id: mainFlick
            anchors.fill: parent
            contentWidth: mainTimeBarsContent.width
            contentHeight: height
            clip: true
            interactive: false

            DragHandler {
                id: panHandler
                property real startX: 0
                acceptedButtons: Qt.RightButton
                dragThreshold: 0
                xAxis.enabled: true
                yAxis.enabled: false
                target: null
                onActiveChanged: {
                    if (active)
                        startX = mainFlick.contentX
                }
                onTranslationChanged: {
                    if (active)
                        mainFlick.contentX = Math.min(Math.max(startX - translation.x, 0),
                                                      Math.max(mainFlick.contentWidth - mainFlick.width, 0))
                }
            }

            Rectangle {
                id: mainTimeBarsContent
                objectName: "mainTimeBarsContent"
                x: control.paddingBeforeTimelineStart
                width: control.baseWidth * control.viewScale
                height: mainFlick.height
                color: theme.light_background_color
                clip: false

                Rectangle {
                    id: selection
                    objectName: "selection"
                    color: "silver"
                    opacity: 0.10
                    visible: control.selectionActive
                    height: parent.height
                    x: control.selectionStart * control.viewScale
                    width: (control.selectionEnd - control.selectionStart) * control.viewScale > 0
                           ? (control.selectionEnd - control.selectionStart) * control.viewScale : 1
                    z: 150000
                }

                MouseArea {
                    id: selectArea
                    objectName: "selectArea"
                    property bool didDrag: false
                    anchors.fill: parent
                    acceptedButtons: Qt.LeftButton
                    preventStealing: false

                    onPressed: (mouse) => {
                        const p = mouse.x / control.viewScale
                        didDrag = false
                        control.selectionActive = !(control.selectionActive
                                                    && control.selectionStart <= p && p <= control.selectionEnd)
                        control.selecting = true
                        control.selectingStart = false
                        control.selectionStart = Math.trunc(p)
                        control.selectionEnd = Math.trunc(p)
                    }
                    onPositionChanged: (mouse) => {
                        if (!control.selecting)
                            return
                        const p = mouse.x / control.viewScale
                        if (!control.selectingStart && p < control.selectionStart) {
                            control.selectingStart = true
                            control.selectionEnd = control.selectionStart
                            control.selectionStart = Math.trunc(p)
                        } else if (control.selectingStart && p > control.selectionEnd) {
                            control.selectingStart = false
                            control.selectionStart = control.selectionEnd
                            control.selectionEnd = Math.trunc(p)
                        } else if (control.selectingStart) {
                            control.selectionStart = Math.trunc(p)
                        } else {
                            control.selectionEnd = Math.trunc(p)
                        }
                        didDrag = control.selectionEnd !== control.selectionStart
                    }
                    onReleased: (mouse) => {
                        control.selecting = false
                        control.selectingStart = true
                        if (!didDrag) {
                            control.selectionActive = false
                            control.timelineClicked(Math.trunc(mouse.x / control.viewScale))
                        }
                    }
                }

                Item {
                    id: bars
                    objectName: "barsRegion"
                    anchors.fill: parent

                    property alias audioFadeBoxControl: audioFadeBox
                    property alias audioInBoxControl: audioInBox
                    property alias audioutBoxControl: audioOutBox
                    property int audioFadeRegionWidth: 0
                    property int audioFadeRegionPos: 0
                    property int audioInRegionWidth: 0
                    property int audioInRegionPos: 0
                    property int audioOutRegionWidth: 0
                    property int audioOutRegionPos: 0
                    property bool shiftRegion: true
                    property int doubleBarIndicatorWidth: 4
                    property color audioRegionColor: "#2b2b2b"
                    property color audioRegionColorFaded: Qt.rgba(audioRegionColor.r, audioRegionColor.g,
                                                                  audioRegionColor.b, 0.15)

                    Rectangle {
                        id: audioFadeBox
                        objectName: "audioFadeBox"
                        height: parent.height
                        x: bars.audioFadeRegionPos * control.viewScale
                           + (bars.shiftRegion ? bars.doubleBarIndicatorWidth : 0)
                        width: bars.audioFadeRegionWidth * control.viewScale
                               - (bars.shiftRegion ? bars.doubleBarIndicatorWidth : 0)
                        color: bars.audioRegionColor
                        gradient: Gradient {
                            orientation: Gradient.Horizontal
                            GradientStop { position: 0.0; color: bars.audioRegionColor }
                            GradientStop { position: 1.0; color: bars.audioRegionColorFaded }
                        }
                    }
                    Rectangle {
                        id: audioOutBox
                        objectName: "audioOutBox"
                        height: parent.height
                        x: bars.audioOutRegionPos * control.viewScale
                        width: bars.audioOutRegionWidth * control.viewScale
                        z: audioFadeBox.z - 1
                        color: bars.audioRegionColor
                    }
                    Rectangle {
                        id: audioInBox
                        objectName: "audioInBox"
                        height: parent.height
                        x: bars.audioInRegionPos * control.viewScale
                        width: bars.audioInRegionWidth * control.viewScale
                        z: audioFadeBox.z - 2
                        color: bars.audioRegionColor
                    }
                }

                Column {
                    id: barColumns
                    anchors.fill: parent
                    anchors.topMargin: 8
                    spacing: control.rowSpacing

                    Repeater {
                        id: timelineBars
                        model: ["Bars:Beats", "Key", "Tempo", "Meter", "Markers", "Edits", "Effects"]
                        Item {
                            required property string modelData
                            objectName: "row" + modelData
                            width: mainTimeBarsContent.width
                            height: control.rowSize
                        }
                    }
                }

                Playhead {
                    id: playhead
                    objectName: "playhead"
                }
            }
        }
    }

    CustomScrollBar {
        id: hbar
        objectName: "hbar"
        orientation: Qt.Horizontal
        height: 20
        anchors.left: barLeft.right
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        hoverEnabled: true
        active: hovered || pressed
        size: mainFlick.width / mainFlick.contentWidth
        position: mainFlick.contentX / mainFlick.contentWidth
        onPositionChanged: {
            if (!mainFlick.moving)
                mainFlick.contentX = position * mainFlick.contentWidth
        }
    }

    Rectangle {
        id: rhsShadowDummy
        width: 50
        height: control.height
        anchors.left: parent.right
        visible: true
    }
    DropShadow {
        anchors.fill: rhsShadowDummy
        source: rhsShadowDummy
        horizontalOffset: -4
        verticalOffset: 0
        radius: 18.0
        samples: 34
        color: "#A0000000"
    }
    DropShadow {
        anchors.fill: barLeft
        source: barLeft
        horizontalOffset: 4
        verticalOffset: 0
        radius: 18.0
        samples: 34
        color: "#A0000000"
    }
}
