import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// The library's tool tip. Controls that offer one own an instance as `toolTip` and show it
// after 500 ms of hovering while its text is not empty; screens only set the text.
ToolTip {
    id: tip

    text: ""

    // Laid out only while shown: a read-out that follows a moving value (a mixer's sliders
    // at 60 Hz) would otherwise lay its text out on every change, seen or not.
    contentItem: Text {
        text: tip.visible ? tip.text : ""
        font: theme.default_font
        color: theme.light_text_color
    }

    background: Rectangle {
        color: theme.lighter_bg_color_popup
        border.width: 1
        border.color: theme.light_border_color

        ZarnTheme {
            id: theme
        }
    }
}
