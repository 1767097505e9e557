import QtQuick
import com.lanternhillstudios.zarn_ui
import QtQuick.Controls
import Qt5Compat.GraphicalEffects

// Drop-down list of the settings, tools and mixer. Its keys let a tool window be confirmed
// with Enter straight from the list: Enter on the closed list reports `enterPressed`.
Item {
    id: root

    property alias model: combo.model
    property alias textRole: combo.textRole
    property alias valueRole: combo.valueRole
    property alias currentIndex: combo.currentIndex
    readonly property alias currentValue: combo.currentValue
    readonly property alias count: combo.count
    property alias displayText: combo.displayText
    property alias delegate: combo.delegate
    readonly property alias mainLabel: label
    readonly property alias choices: popup
    readonly property alias comboControl: combo
    readonly property alias list: list
    property int minimumPopupWidth: -1
    property int offsetSize: 2
    property bool isCompleted: false
    property font font: theme.default_font
    property color default_bg_color: "#1b1b1b"
    property color default_popup_bg_color: Qt.lighter(default_bg_color, 1.8)
    // On while Up or Down last moved the list's row; the mouse entering a row ends it.
    property bool arrowSelectionMode: false

    signal activated(int index)
    signal enterPressed()

    function valueAt(index) {
        return parseInt(combo.valueAt(index));
    }

    function indexOfValue(value) {
        for (let i = 0; i < combo.count; ++i) {
            if (String(combo.valueAt(i)) === String(value))
                return i;
        }
        return -1;
    }

    // The text of one row, whichever shape the model gives it.
    function rowText(modelData, rowModel) {
        if (combo.textRole === "")
            return modelData;
        if (Array.isArray(modelData))
            return modelData[combo.textRole];
        if (typeof modelData === "string")
            return modelData;
        if (modelData !== undefined && modelData !== null && typeof modelData === "object")
            return modelData[combo.textRole];
        if (rowModel !== undefined && rowModel !== null)
            return rowModel[combo.textRole];
        return qsTr("Undefined");
    }

    // Moves the list up when it would run past the bottom of its area. The list is a popup in
    // the window's scene, so the area is the window: it can show nothing beyond it.
    function placePopup() {
        const win = root.Window.window;
        if (!win)
            return;
        const corner = root.mapToItem(null, 0, 0);
        const areas = [Qt.rect(0, 0, win.width, win.height)];
        const area = areas.find(a => a.x <= corner.x && corner.x <= a.x + a.width
                                     && a.y <= corner.y && corner.y <= a.y + a.height);
        if (area === undefined)
            return;
        const overlap = corner.y + popup.height - (area.y + area.height);
        // 35: the 30 px box plus a 5 px margin, as the overlap is measured from its top.
        popup.y = overlap > 0 ? combo.height - 1 - overlap - 35 : combo.height - 1;
    }

    function chooseListRow() {
        if (list.currentIndex !== -1 && list.currentIndex !== combo.currentIndex)
            combo.currentIndex = list.currentIndex;
    }

    implicitWidth: combo.implicitWidth
    implicitHeight: combo.implicitHeight

    Component.onCompleted: {
        isCompleted = true;
        placePopup();
    }

    ZarnTheme {
        id: theme
    }

    DropShadow {
        z: -1
        anchors.fill: combo
        source: combo
        horizontalOffset: root.offsetSize / 2
        verticalOffset: root.offsetSize
        radius: 8
        spread: 0
        samples: 32
        color: "#66000000"
    }

    ComboBox {
        id: combo

        anchors.fill: parent
        implicitHeight: 30
        implicitWidth: implicitBackgroundWidth + leftInset + rightInset
        font: root.font

        readonly property color foregroundColor: !enabled ? "gray" : pressed ? "silver" : "white"

        Keys.onPressed: (event) => {
            const open = popup.visible;
            switch (event.key) {
            case Qt.Key_Space:
                if (event.isAutoRepeat)
                    break;
                if (open) {
                    root.chooseListRow();
                    popup.close();
                } else {
                    popup.open();
                }
                break;
            case Qt.Key_Enter:
            case Qt.Key_Return:
                if (open) {
                    root.chooseListRow();
                    root.activated(combo.currentIndex);
                    popup.close();
                } else {
                    root.enterPressed();
                }
                break;
            case Qt.Key_Up:
                if (open) {
                    list.currentIndex = Math.max(0, list.currentIndex - 1);
                    root.arrowSelectionMode = true;
                }
                break;
            case Qt.Key_Down:
                if (open) {
                    list.currentIndex = Math.min(combo.count - 1, list.currentIndex + 1);
                    root.arrowSelectionMode = true;
                }
                break;
            default:
                return;
            }
            event.accepted = true;
        }
        // The box's own release handling would open, close or choose again.
        Keys.onReleased: (event) => {
            switch (event.key) {
            case Qt.Key_Space:
            case Qt.Key_Enter:
            case Qt.Key_Return:
            case Qt.Key_Up:
            case Qt.Key_Down:
                event.accepted = true;
                break;
            default:
                break;
            }
        }

        delegate: ItemDelegate {
            id: row

            readonly property int rowIndex: index
            readonly property string shownText: String(root.rowText(typeof modelData === "undefined" ? undefined : modelData,
                                                                typeof model === "undefined" ? undefined : model))

            width: list.width
            height: 40
            padding: 0
            highlighted: list.currentIndex === rowIndex

            contentItem: Rectangle {
                color: (row.highlighted || (rowMouse.containsMouse && !root.arrowSelectionMode))
                       ? Qt.lighter(root.default_popup_bg_color, 1.3) : root.default_popup_bg_color

                Text {
                    id: rowLabel
                    objectName: "rowLabel"
                    x: 5
                    width: row.width - 10
                    anchors.verticalCenter: parent.verticalCenter
                    text: row.shownText
                    font: root.font
                    color: "white"
                    elide: Text.ElideRight
                }
            }

            ZarnToolTip {
                objectName: "rowToolTip"
                parent: row
                text: row.shownText
                delay: 1000
                timeout: 5000
                visible: rowMouse.containsMouse && rowLabel.truncated
            }

            MouseArea {
                id: rowMouse
                anchors.fill: parent
                hoverEnabled: true
                onEntered: {
                    root.arrowSelectionMode = false;
                    list.currentIndex = row.rowIndex;
                }
                onClicked: {
                    combo.currentIndex = row.rowIndex;
                    root.activated(row.rowIndex);
                    popup.close();
                }
            }
        }

        contentItem: Item {
            Text {
                id: label
                x: 8
                height: parent.height
                width: combo.width - arrow.width - 15
                text: combo.displayText
                font: combo.font
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                color: combo.foregroundColor
            }
        }

        indicator: Canvas {
            id: arrow
            objectName: "arrow"
            x: combo.width - width - combo.rightPadding
            y: combo.topPadding + (combo.availableHeight - height) / 2
            width: 12
            height: 8
            readonly property color fillColor: combo.foregroundColor
            onFillColorChanged: requestPaint()
            onPaint: {
                const ctx = getContext("2d");
                ctx.reset();
                ctx.fillStyle = fillColor;
                ctx.beginPath();
                ctx.moveTo(0, 0);
                ctx.lineTo(width, 0);
                ctx.lineTo(width / 2, height);
                ctx.closePath();
                ctx.fill();
            }
        }

        background: Rectangle {
            implicitWidth: 120
            implicitHeight: 40
            color: !combo.enabled ? Qt.lighter("#525252", 0.5)
                 : combo.pressed ? Qt.lighter(root.default_bg_color, 0.8)
                 : combo.hovered ? Qt.lighter(root.default_bg_color, 1.3)
                 : root.default_bg_color

            BasicBevel {
            }
        }

        Rectangle {
            objectName: "focusFrame"
            anchors.fill: parent
            color: "transparent"
            border.width: 2
            border.color: theme.default_selected_color_intense
            opacity: 0.7
            visible: combo.activeFocus
        }

        popup: Popup {
            id: popup

            y: combo.height - 1
            width: Math.max(combo.width, root.minimumPopupWidth)
            height: Math.min(list.contentHeight + topPadding + bottomPadding,
                             Qt.application.screens.length > 0 ? Qt.application.screens[0].height / 2 : list.contentHeight)
            padding: 1
            closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent

            onOpened: {
                list.currentIndex = combo.currentIndex;
                list.positionViewAtIndex(Math.max(0, list.currentIndex), ListView.Contain);
                // The window may have moved since the last placement.
                Qt.callLater(root.placePopup);
            }
            onClosed: root.arrowSelectionMode = false

            contentItem: ListView {
                id: list
                clip: true
                implicitHeight: contentHeight
                model: combo.delegateModel
                currentIndex: -1
                highlightFollowsCurrentItem: false
                boundsBehavior: Flickable.StopAtBounds

                Rectangle {
                    id: scrollBar
                    parent: list
                    x: list.width - width
                    width: 10
                    height: list.visibleArea.heightRatio * list.height
                    color: "#69696a"

                    Binding on y {
                        when: !scrollDrag.drag.active
                        value: list.visibleArea.yPosition * list.height
                    }

                    onYChanged: {
                        if (scrollDrag.drag.active && list.height > height)
                            list.contentY = list.originY
                                    + (y / (list.height - height)) * (list.contentHeight - list.height);
                    }

                    MouseArea {
                        id: scrollDrag
                        anchors.fill: parent
                        drag.target: scrollBar
                        drag.axis: Drag.YAxis
                        drag.minimumY: 0
                        drag.maximumY: list.height - scrollBar.height
                    }
                }
            }

            background: Rectangle {
                color: root.default_bg_color

                BasicBevel {
                }
            }
        }
    }
}
