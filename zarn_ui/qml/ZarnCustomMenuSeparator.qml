import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

MenuSeparator {
    ZarnTheme {
        id: theme
    }

    contentItem: Rectangle {
        implicitHeight: 1
        color: theme.light_border_color
    }

    background: Rectangle {
        implicitHeight: 8
        color: theme.lighter_bg_color_popup
    }
}
