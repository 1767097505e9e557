import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// Check box of the dialogs; the caption is drawn by the style's label as rich text so that
// screens choose its colour.
CheckBox {
    id: control

    property string checkboxTextStr: ""
    property string checkboxTextColor: theme.default_text_color

    text: "<font color='" + checkboxTextColor + "'>" + checkboxTextStr + "</font>"
    font: theme.default_font

    ZarnTheme {
        id: theme
    }

    FocusHighlight {
        objectName: "focusHighlight"
        z: -10000
        anchors.fill: parent
        visible: control.activeFocus
    }

    indicator: Item {
        implicitWidth: 22
        implicitHeight: 22
        x: control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2

        Rectangle {
            objectName: "box"
            width: 22
            height: 22
            radius: 3
            border.width: 2
            border.color: control.activeFocus ? "steelblue" : "transparent"
            color: control.checked ? "steelblue" : "white"
        }
        Canvas {
            id: checkMark
            width: 22
            height: 22
            visible: control.checked
            onPaint: {
                const ctx = getContext("2d");
                ctx.reset();
                ctx.strokeStyle = "white";
                ctx.lineWidth = 2;
                ctx.beginPath();
                ctx.moveTo(0.2 * width, 0.5 * height);
                ctx.lineTo(0.4 * width, 0.7 * height);
                ctx.lineTo(0.8 * width, 0.3 * height);
                ctx.stroke();
            }
        }
    }
}
