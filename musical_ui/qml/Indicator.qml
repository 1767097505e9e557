import QtQuick
import com.lanternhillstudios.zarn_ui

// A round lamp: the theme's on or off colour for `value`, sky blue while `learning`.
Rectangle {
    id: root

    property bool value: false
    property int size: 16
    property bool learning: false

    width: size
    height: size
    radius: size / 2
    color: learning ? "#87CEEB" : (value ? theme.on_indicator_color : theme.off_indicator_color)

    ZarnTheme {
        id: theme
    }
}
