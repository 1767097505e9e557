import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls

// A small pop-up menu of actions (the transport bar's fade lengths). Its width follows the
// widest entry, so short lists stay compact.
Menu {
    id: menu

    width: {
        let widestContent = 0;
        let widestPadding = 0;
        for (let i = 0; i < menu.count; ++i) {
            const entry = menu.itemAt(i);
            if (!entry)
                continue;
            if (entry.contentItem)
                widestContent = Math.max(widestContent, entry.contentItem.implicitWidth);
            widestPadding = Math.max(widestPadding, entry.padding);
        }
        return widestContent + 2 * widestPadding + 20;
    }

    background: Rectangle {
        color: theme.lighter_bg_color_popup

        // Held here: anything declared inside the menu itself would become an entry.
        ZarnTheme {
            id: theme
        }
    }

    delegate: MenuItem {
        id: item

        implicitWidth: menu.availableWidth
        implicitHeight: 40

        contentItem: Text {
            leftPadding: item.checkable && item.indicator ? item.indicator.width : 0
            rightPadding: item.subMenu && item.arrow ? item.arrow.width : 0
            text: item.text
            font: item.font
            color: theme.default_text_color
            horizontalAlignment: Text.AlignLeft
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }

        arrow: Canvas {
            x: item.width - width
            width: 40
            height: 40
            visible: item.subMenu !== null
            readonly property color fillColor: item.highlighted ? "#ffffff" : "#AAAAAA"
            onFillColorChanged: requestPaint()
            onPaint: {
                const ctx = getContext("2d");
                ctx.reset();
                ctx.fillStyle = fillColor;
                ctx.beginPath();
                ctx.moveTo(15, 15);
                ctx.lineTo(width - 15, height / 2);
                ctx.lineTo(15, height - 15);
                ctx.closePath();
                ctx.fill();
            }
        }

        background: Rectangle {
            color: item.highlighted ? Qt.lighter(theme.lighter_bg_color_popup, 1.25) : "transparent"
            opacity: item.enabled ? 1 : 0.3
        }
    }
}
