import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects

// A segmented level meter with a dB read-out. The bar is drawn on the same curve as the volume
// slider (f = e^(dB/25)), which leaves little room to levels below -60 dB.
Item {
    id: meter

    property real value: 0.0
    property int segments: 8
    property color startColor: "green"
    property color endColor: "lightgreen"
    property color darkSegmentColor: "#444"
    property int segmentHeight: 8
    property int spacing: Math.max(Math.ceil(segmentHeight * 0.10), Math.ceil(bar.width / segments * 0.05))
    property int radius: Math.ceil(segmentHeight * 0.10)
    property bool enableInnerGlow: true

    // Anything not above zero (negative, NaN) reads as silence rather than breaking the bar.
    readonly property bool silent: !(value > 0)
    readonly property real decibels: silent ? -Infinity : 20 * Math.log10(value)
    readonly property real fillFraction: silent ? 0 : Math.exp(decibels / 25)
    readonly property string readout: silent ? "-\u221E dB" : Math.round(decibels) + " dB"

    function litWidth(index, segmentWidth) {
        const position = index / meter.segments;
        if (position + 1 / meter.segments < meter.fillFraction)
            return segmentWidth;
        const width = (meter.fillFraction - position) * (bar.width - meter.spacing * (meter.segments - 1));
        // The partly lit segment never spills into the gap after it.
        return Math.max(0, Math.min(segmentWidth, width));
    }

    function litColor(index) {
        const position = index / meter.segments;
        if (!(meter.fillFraction > position))
            return "#444";
        const s = meter.startColor;
        const e = meter.endColor;
        return Qt.rgba(s.r + (e.r - s.r) * position, s.g + (e.g - s.g) * position,
                       s.b + (e.b - s.b) * position, s.a + (e.a - s.a) * position);
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: 2
        spacing: 0

        Item {
            id: bar
            objectName: "segmentBar"
            Layout.fillWidth: true
            Layout.preferredHeight: meter.segmentHeight

            Row {
                spacing: meter.spacing

                Repeater {
                    id: segmentRepeater
                    model: meter.segments > 0 ? meter.segments : 0

                    Rectangle {
                        id: segment

                        required property int index
                        readonly property alias litPart: lit

                        width: meter.segments > 0 ? (bar.width - meter.spacing * meter.segments) / meter.segments : 0
                        height: bar.height
                        radius: meter.radius
                        color: meter.darkSegmentColor

                        Rectangle {
                            id: lit
                            width: meter.litWidth(segment.index, segment.width)
                            height: segment.height
                            radius: meter.radius
                            color: meter.litColor(segment.index)
                            visible: width > 0
                        }

                        InnerShadow {
                            anchors.fill: lit
                            source: lit
                            color: "yellow"
                            radius: 22
                            samples: 32
                            horizontalOffset: 0
                            verticalOffset: 0
                            cached: true
                            smooth: true
                            visible: meter.enableInnerGlow && lit.visible
                        }
                    }
                }
            }
        }

        Text {
            objectName: "readout"
            Layout.preferredWidth: 35
            horizontalAlignment: Text.AlignRight
            font.pixelSize: 10
            color: "silver"
            text: meter.readout
        }
    }

    function segmentAt(index) {
        return segmentRepeater.itemAt(index);
    }
}
