import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import Qt5Compat.GraphicalEffects

// The application's slider: a zero mark that moves snap to, arrow keys that step by `step`,
// Alt + right click back to the mark, and a right click that opens a field for typing a value.
Slider {
    id: control

    property real zeroMark: 0.5
    property int zeroMarkWidth: 2
    property bool showZeroMark: true
    property string barFillColor: "#26a5de"
    property real snapTolerance: 0.03
    property real step: 5.0
    property alias sliderStep: control.step
    readonly property alias isFocused: control.activeFocus
    property var customDisplayFunction: function (value) {
        return value.toFixed(3);
    }
    property var customInvertFunction: function (text) {
        return parseFloat(text);
    }
    readonly property alias valuePopup: valuePopup

    function snapToZeroMark() {
        const range = control.to - control.from;
        if (control.showZeroMark && range !== 0
                && Math.abs(control.value - control.zeroMark) / Math.abs(range) < control.snapTolerance)
            control.value = control.zeroMark;
    }

    function stepBy(delta) {
        control.value = delta > 0 ? Math.min(control.value + delta, control.to)
                                  : Math.max(control.value + delta, control.from);
        control.moved();
    }

    function resetToZeroMark() {
        // The slider itself holds the value inside its range.
        control.value = control.showZeroMark ? control.zeroMark : 0;
    }

    function openValuePopup() {
        valueField.text = Qt.binding(() => control.customDisplayFunction(control.value));
        valuePopup.open();
    }

    // A text that does not read as a number leaves the value alone.
    function acceptTypedValue() {
        const typed = Number(control.customInvertFunction(valueField.field.text));
        valuePopup.close();
        if (isNaN(typed))
            return;
        control.value = typed;
        control.moved();
    }

    value: 0.5
    from: 0
    to: 1
    focusPolicy: Qt.StrongFocus

    // Runs before any holder's own handler, so holders read the snapped value.
    onMoved: snapToZeroMark()

    Keys.onRightPressed: event => {
        control.stepBy(control.step);
        event.accepted = true;
    }
    Keys.onLeftPressed: event => {
        control.stepBy(-control.step);
        event.accepted = true;
    }

    ZarnTheme {
        id: theme
    }

    background: Rectangle {
        id: track

        x: control.leftPadding
        y: control.topPadding + control.availableHeight / 2 - height / 2
        implicitWidth: 200
        implicitHeight: 4
        width: control.availableWidth
        height: 4
        radius: 2
        color: "#555555"

        Rectangle {
            objectName: "fill"
            width: control.visualPosition * track.width
            height: track.height
            color: control.barFillColor
            radius: 2
        }

        Rectangle {
            objectName: "zeroMark"
            readonly property real markPosition: (control.zeroMark - control.from) / (control.to - control.from)
            readonly property real handleWidth: control.handle ? control.handle.width : 0
            x: markPosition * track.width - handleWidth * (markPosition - 0.5) - control.zeroMarkWidth / 2
            y: -7
            z: -50
            width: control.zeroMarkWidth
            height: track.height + 15
            color: "#666666"
            radius: 1
            visible: control.showZeroMark
        }
    }

    handle: Rectangle {
        x: control.leftPadding + control.visualPosition * (control.availableWidth - width)
        y: control.topPadding + control.availableHeight / 2 - height / 2
        implicitWidth: 16
        implicitHeight: 12
        radius: 2
        color: control.pressed || control.hovered ? Qt.lighter("#69696a", 1.3) : "#69696a"

        FocusHighlight {
            anchors.fill: parent
            visible: control.activeFocus
        }
    }

    // Drawn over the handle with the handle itself in it, so the handle still shows where
    // the effect cannot render.
    DropShadow {
        x: control.handle.x
        y: control.handle.y
        width: control.handle.width
        height: control.handle.height
        source: control.handle
        color: "#aa000000"
        radius: 8
        samples: 20
        spread: 0
        horizontalOffset: 0
        verticalOffset: 0
        transparentBorder: true
    }

    // Left-button input stays with the slider; only the right button is ours.
    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.RightButton
        onClicked: mouse => {
            if (mouse.modifiers & Qt.AltModifier)
                control.resetToZeroMark();
            else
                control.openValuePopup();
        }
    }

    Popup {
        id: valuePopup

        x: 0
        y: 0
        width: 200
        height: 50
        modal: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent

        onOpened: valueField.forceActiveFocus()

        background: Rectangle {
            color: Qt.darker(theme.default_bg_color, 1.4)
            border.width: 0
        }

        contentItem: Item {
            Row {
                anchors.centerIn: parent
                spacing: 10

                Keys.onReturnPressed: control.acceptTypedValue()
                Keys.onEnterPressed: control.acceptTypedValue()

                RecessedTextInput {
                    id: valueField
                    objectName: "valueField"
                    width: 120
                    anchors.verticalCenter: parent.verticalCenter
                }
                FlatButton {
                    objectName: "valueOkButton"
                    text: qsTr("OK")
                    anchors.verticalCenter: parent.verticalCenter
                    onClicked: control.acceptTypedValue()
                }
            }
        }
    }
}
