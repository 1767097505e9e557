import QtQuick
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The upper half of the editing page: the timeline strip in its frame.
Item {
    id: root

    property alias timelineControl: timeline

    implicitHeight: timeline.height

    ZarnTheme {
        id: theme
    }

    TimeLine {
        id: timeline
        objectName: "timelineControl"
        width: root.width
        height: 220
        clip: true

        BasicBevel {
            z: 100
        }
    }
}
