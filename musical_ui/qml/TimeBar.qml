import QtQuick

// One bar or beat line of the timeline. Created by the thousand on every song load, so it
// stays lean: one animation serves both fades.
Item {
    id: control

    property string barLabel: ""
    property int basePos: 0
    property real viewScale: 1.0
    property bool isBar: true
    property bool isEndBar: false
    property bool showLabel: true
    property color barColor: isBar ? Qt.lighter("#282828", 2) : Qt.lighter("#282828", 1.3)
    property color labelColor: isBar ? "white" : Qt.lighter("#282828", 1.6)
    readonly property alias line: line
    readonly property alias fade: fade

    function fadeOutMethod() {
        if (line.opacity === 0)
            return
        fade.stop()
        fade.fadingOut = true
        fade.to = 0
        fade.start()
    }

    function fadeInMethod() {
        // Every zoom step fades in every shown line: one already fully shown has nothing to
        // animate, and restarting hundreds of idle animations costs a frame.
        if (!fade.running && control.visible && line.visible && line.opacity === 1)
            return
        fade.stop()
        fade.fadingOut = false
        control.visible = true
        line.visible = true
        fade.to = 1
        fade.start()
    }

    height: parent ? parent.height : 0
    x: basePos * viewScale
    width: label.implicitWidth + 3 + 1

    Rectangle {
        id: line
        objectName: "line"
        width: 1
        height: control.height
        color: control.barColor

        Text {
            id: label
            objectName: "label"
            x: 3
            y: 10
            text: control.barLabel
            font.pixelSize: 10
            color: control.labelColor
            visible: control.showLabel
        }

        Rectangle {
            objectName: "endLine"
            x: 3
            width: 3
            height: control.height
            color: control.barColor
            visible: control.isEndBar
        }
    }

    NumberAnimation {
        id: fade
        property bool fadingOut: false
        target: line
        property: "opacity"
        duration: 500
        onFinished: {
            if (fadingOut) {
                line.visible = false
                control.visible = false
            }
        }
    }
}
