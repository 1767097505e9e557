import QtQuick
import com.lanternhillstudios.zarn_ui

// Washes a focused control over with translucent dark blue; the user anchors it to the
// control and binds `visible` to the control's active focus.
Item {
    ZarnTheme {
        id: theme
    }

    Rectangle {
        anchors.fill: parent
        color: theme.default_selected_color_intense
        border.width: 1
        border.color: "transparent"
        opacity: 0.7
    }
}
