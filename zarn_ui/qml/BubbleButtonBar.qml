import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Layouts
import Qt5Compat.GraphicalEffects

// Stands bubble buttons on black, with 1 px seams between them and a 1 px frame, over a soft
// shadow.
Item {
    id: bar

    property int shadowOffsetSize: 2
    property int pad: 0
    property int borderSize: 1
    default property alias contents: row.data

    implicitWidth: row.implicitWidth + pad
    implicitHeight: row.implicitHeight + pad

    DropShadow {
        z: -5
        anchors.fill: frame
        source: frame
        transparentBorder: true
        horizontalOffset: bar.shadowOffsetSize
        verticalOffset: bar.shadowOffsetSize
        radius: 8.0
        spread: 0.0
        samples: 32
        color: "#44000000"
    }

    Rectangle {
        id: frame
        x: bar.pad / 2
        y: bar.pad / 2
        width: row.width + 2 * bar.borderSize
        height: row.height + 2 * bar.borderSize
        color: "black"
        border.width: bar.borderSize
        border.color: "black"

        RowLayout {
            id: row
            x: bar.borderSize
            y: bar.borderSize
            spacing: 1
        }
    }
}
