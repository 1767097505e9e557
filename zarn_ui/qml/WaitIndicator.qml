import QtQuick
import com.lanternhillstudios.zarn_ui

// A pie that fills clockwise from 12 o'clock over `totalTime` seconds, then hides.
Rectangle {
    id: indicator

    property real progress: 0
    property real angle: 0
    property real totalTime: 10.0
    property real startTime: 0
    property alias timer: tick
    property color pieColor: "#219ebc"

    // A time of zero or less (or not a number) is ignored. While a wait runs, a new start
    // keeps its start time and only changes its length.
    function start(timeInSec) {
        if (!(timeInSec > 0))
            return;
        indicator.totalTime = timeInSec;
        tick.start();
        indicator.visible = true;
    }

    function stop() {
        tick.stop();
        indicator.visible = false;
    }

    function advance() {
        indicator.progress = (Date.now() - indicator.startTime) / 1000 / indicator.totalTime;
        if (indicator.progress >= 1) {
            indicator.progress = 1;
            indicator.stop();
        }
        indicator.angle = indicator.progress * 360;
        pie.requestPaint();
    }

    width: 32
    height: 32
    color: "transparent"
    visible: false

    Timer {
        id: tick
        interval: 50
        repeat: true
        running: false
        onRunningChanged: {
            if (running)
                indicator.startTime = Date.now();
        }
        onTriggered: indicator.advance()
    }

    Canvas {
        id: pie
        objectName: "pie"
        anchors.fill: parent
        onPaint: {
            const ctx = getContext("2d");
            ctx.reset();
            ctx.clearRect(0, 0, width, height);
            if (indicator.angle <= 0)
                return;
            const centreX = width / 2;
            const centreY = height / 2;
            const twelveOClock = -Math.PI / 2;
            ctx.fillStyle = indicator.pieColor;
            ctx.beginPath();
            ctx.moveTo(centreX, centreY);
            ctx.arc(centreX, centreY, indicator.width / 2, twelveOClock,
                    twelveOClock + indicator.angle * Math.PI / 180, false);
            ctx.closePath();
            ctx.fill();
        }
    }
}
