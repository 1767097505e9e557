import QtQuick
import com.lanternhillstudios.zarn_ui

// A drawn play (green triangle) or stop (red square) face. It takes no clicks itself: its
// user lays a mouse area over it and decides which symbol it shows through `playing`.
Item {
    id: root

    property bool playing: false
    property bool buttonManagesState: true
    readonly property alias canvas: canvas

    // Sets, never toggles: a user that keeps the state itself leaves it alone.
    function handleClick(isPlaying) {
        if (root.buttonManagesState)
            root.playing = isPlaying;
    }

    function drawPlayButton(target) {
        const ctx = target.available ? target.getContext("2d") : null;
        if (!ctx)
            return;
        const w = target.width;
        const h = target.height;
        ctx.fillStyle = "green";
        ctx.beginPath();
        ctx.moveTo(w / 4, h / 4);
        ctx.lineTo(w / 4, 3 * h / 4);
        ctx.lineTo(3 * w / 4, h / 2);
        ctx.closePath();
        ctx.fill();
    }

    function drawStopButton(target) {
        const ctx = target.available ? target.getContext("2d") : null;
        if (!ctx)
            return;
        ctx.fillStyle = "red";
        ctx.fillRect(target.width / 4, target.height / 4, target.width / 2, target.height / 2);
    }

    function clearCanvas(target) {
        const ctx = target.available && target.width > 0 && target.height > 0 ? target.getContext("2d") : null;
        // A canvas not yet available, or without a size, has nothing to erase.
        if (ctx)
            ctx.clearRect(0, 0, target.width, target.height);
        target.requestPaint();
    }

    onPlayingChanged: root.clearCanvas(canvas)

    Canvas {
        id: canvas
        objectName: "canvas"
        anchors.fill: parent

        onPaint: {
            // A context made while the canvas has no size stays without one: wait for the size.
            if (canvas.width <= 0 || canvas.height <= 0)
                return;
            if (root.playing)
                root.drawStopButton(canvas);
            else
                root.drawPlayButton(canvas);
        }
        // A canvas sized by its holder's layout becomes available after its size is set: it
        // paints then. On a resize it keeps its old pixels, so the symbol is drawn afresh.
        onAvailableChanged: if (available && width > 0 && height > 0) requestPaint()
        onWidthChanged: if (width > 0 && height > 0) root.clearCanvas(canvas)
        onHeightChanged: if (width > 0 && height > 0) root.clearCanvas(canvas)
    }
}
