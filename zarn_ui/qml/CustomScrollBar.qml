import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// The vertical scroll bar of the application's lists and texts; laid horizontally and 20 high
// it serves the timeline. Shown always unless the holder picks another policy.
ScrollBar {
    id: control

    policy: ScrollBar.AlwaysOn
    hoverEnabled: true
    // The track is always drawn, so "as needed" has to hide the whole bar while everything fits.
    visible: policy === ScrollBar.AlwaysOn || (policy === ScrollBar.AsNeeded && size < 1.0)

    ZarnTheme {
        id: theme
    }

    background: Rectangle {
        implicitWidth: 20
        implicitHeight: control.height
        color: Qt.lighter(theme.default_bg_color, 0.7)
    }

    // No implicit size: the scroll bar gives the handle its width less the padding and the
    // length that the scroll position calls for.
    contentItem: Rectangle {
        objectName: "handle"
        color: control.hovered ? theme.default_selected_color : theme.lighter_bg_color_popup

        BasicBevel {
        }
    }
}
