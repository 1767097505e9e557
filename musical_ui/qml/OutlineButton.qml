import QtQuick
import com.lanternhillstudios.zarn_ui

// The small outlined letter button of the mixer's mute and solo. Its user sets `checked`; a
// click only reports, so the button shows the state the host confirmed, not the click.
Item {
    id: root

    property string text: "M"
    property bool makeSquare: true
    property int textPadding: 2
    property bool checked: false
    property string toolTipText: ""
    property color uncheckedColor: "#333333"
    property color controlColor: "#26a5de"
    property color uncheckedFillColor: theme.default_bg_color
    property color checkedFillColor: Qt.darker(controlColor, 4)
    property color checkedFontColor: activeColor
    property color uncheckedFontColor: "gray"
    property bool hovered: false
    readonly property color activeColor: enabled && checked ? controlColor : uncheckedColor
    readonly property color activeFillColor: !enabled ? "#333333" : checked ? checkedFillColor : uncheckedFillColor
    readonly property color activeFontColor: !enabled ? "dimgray" : checked ? checkedFontColor : uncheckedFontColor
    readonly property bool showsHover: enabled && hovered

    signal clicked()

    readonly property real textWidth: metrics.advanceWidth
    readonly property real textHeight: metrics.height

    implicitWidth: makeSquare ? Math.max(textWidth, textHeight) + 2 * textPadding : textWidth + 2 * textPadding
    implicitHeight: makeSquare ? implicitWidth : textHeight + 2 * textPadding
    width: implicitWidth
    height: implicitHeight

    ZarnTheme {
        id: theme
    }

    TextMetrics {
        id: metrics
        font: theme.default_font
        text: root.text
    }

    Rectangle {
        objectName: "outline"
        anchors.fill: parent
        radius: 4
        antialiasing: true
        border.width: 1
        border.color: root.showsHover ? Qt.lighter(root.activeColor, 1.5) : root.activeColor
        color: root.showsHover ? Qt.lighter(root.activeFillColor, 1.25) : root.activeFillColor
    }

    Text {
        objectName: "label"
        anchors.fill: parent
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
        maximumLineCount: 1
        font: theme.default_font
        text: root.text
        color: root.showsHover ? Qt.lighter(root.activeFontColor, 1.5) : root.activeFontColor
    }

    MouseArea {
        anchors.fill: parent
        hoverEnabled: true
        enabled: root.enabled
        onEntered: root.hovered = true
        onExited: root.hovered = false
        onClicked: root.clicked()
    }

    ZarnToolTip {
        delay: 500
        text: root.toolTipText
        visible: root.hovered && root.toolTipText !== ""
    }
}
