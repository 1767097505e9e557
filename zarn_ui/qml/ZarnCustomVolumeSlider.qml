import QtQuick
import com.lanternhillstudios.zarn_ui

// A volume slider: its linear value v stands for 25 * ln(v) dB, from -80 dB to 0 dB, with the
// mark (and the snap) at -6 dB.
ZarnCustomSlider {
    id: control

    readonly property real decibels: 25 * Math.log(control.value)
    property ZarnToolTip toolTip: ZarnToolTip {
        parent: control
        delay: 500
        text: "Value: " + control.decibels.toFixed(1) + " dB"
        visible: (control.hovered || control.activeFocus) && text !== ""
    }

    sliderStep: 0.01
    from: 0.04076220398
    to: 1.0
    showZeroMark: true
    zeroMark: 0.7866278611
    customDisplayFunction: function (value) {
        return (25 * Math.log(value)).toFixed(3);
    }
    customInvertFunction: function (text) {
        return Math.exp(parseFloat(text) / 25);
    }
}
