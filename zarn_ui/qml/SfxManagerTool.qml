import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQml.Models
import com.lanternhillstudios.zarn_ui

// The sound-effect manager: the sources on the left, the instances of the chosen source on
// the right, with audition and the create, edit and delete requests. The window owns no
// data: the host fills both models and carries out every request, and the window keeps only
// the selection and the ids it has started and not yet seen stop.
Window {
    id: root

    property var availableSoundEffectsModel
    property var soundEffectInstancesModel
    property string selectedSfxEffectId: ""
    property string selectedSfxInstanceEventId: ""
    property var playing: []
    readonly property alias sourceList: sourceList
    readonly property alias instanceList: instanceList
    readonly property alias createButton: createButton
    readonly property alias editButton: editButton
    readonly property alias deleteButton: deleteButton
    readonly property alias closeButton: closeButton
    readonly property alias theme: theme
    // The number of source rows, taken from the list as it changes rather than read in the
    // button bindings, which would make the list lay itself out while they are evaluated.
    property int sourceCount: 0

    signal playSfx(string eventId)
    signal stopSfx(string eventId)
    signal addSoundEffectInstanceClicked(string effectId)
    signal editSoundEffectInstanceClicked(string eventId)
    signal deleteSoundEffectInstanceClicked(string eventId)
    signal soundEffectSelected(int index)
    signal playStateUpdated()
    signal requestClose()
    signal sfxFinished(string eventId)
    signal resetSfxButton(string eventId)
    signal playStateUpdatedExternally(string eventId)

    function playingContains(eventId) {
        const ids = root.playing || [];
        for (let i = 0; i < ids.length; ++i) {
            if (String(ids[i]) === String(eventId))
                return true;
        }
        return false;
    }

    // Every assignment of `playing` is a change: its handler raises playStateUpdated().
    function addToPlaying(eventId) {
        const ids = (root.playing || []).slice();
        ids.push(eventId);
        root.playing = ids;
    }

    function removeFromPlaying(eventId) {
        root.playing = (root.playing || []).filter(id => String(id) !== String(eventId));
    }

    function enableCreationButton() {
        return (root.playing || []).length === 0 && root.sourceCount > 0;
    }

    function enableModificationButtons() {
        return root.selectedSfxInstanceEventId !== "" && (root.playing || []).length === 0;
    }

    // A role of one row as text; a row or role the model lacks reads as empty.
    function roleText(rows, index, role) {
        if (index < 0 || index >= rows.count)
            return "";
        const entry = rows.items.get(index);
        const value = entry && entry.model ? entry.model[role] : undefined;
        return value === undefined || value === null ? "" : String(value);
    }

    // A role of a list's current row: from its row item when the list has made it, else from
    // the model (a list that has just been given rows may not have made the item yet).
    function currentText(list, rows, role, itemProperty) {
        const index = list.currentIndex;
        if (index < 0)
            return "";
        if (list.currentItem && list.currentItem[itemProperty] !== undefined)
            return list.currentItem[itemProperty];
        return root.roleText(rows, index, role);
    }

    function instanceRowOf(eventId) {
        for (let i = 0; i < instanceRows.count; ++i) {
            if (root.roleText(instanceRows, i, "eventId") === String(eventId))
                return i;
        }
        return -1;
    }

    function requestCreate() {
        root.addSoundEffectInstanceClicked(root.selectedSfxEffectId);
        root.playStateUpdated();
    }

    function requestEditOfSelection() {
        root.stopSfx(root.selectedSfxInstanceEventId);
        root.editSoundEffectInstanceClicked(root.selectedSfxInstanceEventId);
        root.playStateUpdated();
    }

    function requestDeleteOfSelection() {
        root.stopSfx(root.selectedSfxInstanceEventId);
        root.deleteSoundEffectInstanceClicked(root.selectedSfxInstanceEventId);
        root.selectedSfxInstanceEventId = "";
        root.playStateUpdated();
    }

    function selectInstanceRow(index, eventId) {
        if (eventId === root.selectedSfxInstanceEventId)
            return;
        root.selectedSfxInstanceEventId = eventId;
        instanceList.currentIndex = index;
        instanceList.forceActiveFocus();
        root.playStateUpdated();
    }

    function togglePlayback(eventId) {
        if (root.playingContains(eventId)) {
            root.stopSfx(eventId);
            root.removeFromPlaying(eventId);
        } else {
            root.playSfx(eventId);
            root.addToPlaying(eventId);
        }
    }

    minimumWidth: 640
    minimumHeight: 480
    width: 800
    height: 600
    title: "SFX Manager"
    visible: true
    color: theme.dark_background_color

    onPlayingChanged: root.playStateUpdated()
    // The button states are set here rather than bound: a binding would be evaluated while the
    // lists lay themselves out. They follow every change they depend on and every
    // playStateUpdated(), whoever emits it.
    function updateButtons() {
        createButton.enabled = root.enableCreationButton();
        editButton.enabled = root.enableModificationButtons();
        deleteButton.enabled = root.enableModificationButtons();
    }

    onPlayStateUpdated: root.updateButtons()
    onSourceCountChanged: root.updateButtons()
    onSelectedSfxInstanceEventIdChanged: root.updateButtons()
    Component.onCompleted: root.updateButtons()
    onSfxFinished: eventId => {
        if (root.instanceRowOf(eventId) !== -1)
            root.removeFromPlaying(eventId);
    }
    onClosing: root.requestClose()

    ZarnTheme {
        id: theme
    }

    // The rows read by index, whatever kind of model the host gives.
    // (A delegate model counts no rows without a delegate; this one is never instantiated.)
    DelegateModel {
        id: sourceRows
        model: root.availableSoundEffectsModel
        delegate: Item {
        }
    }
    DelegateModel {
        id: instanceRows
        model: root.soundEffectInstancesModel
        delegate: Item {
        }
    }

    Rectangle {
        anchors.fill: parent
        color: theme.dark_background_color
    }

    Item {
        id: content
        objectName: "content"
        anchors.fill: parent
        anchors.margins: 15
        focus: true

        Keys.onEscapePressed: root.close()
        Keys.onReturnPressed: root.close()

        ColumnLayout {
            anchors.fill: parent
            spacing: 10

            RowLayout {
                id: columns
                Layout.fillWidth: true
                Layout.fillHeight: true
                spacing: 10

                ColumnLayout {
                    objectName: "sourceColumn"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    Layout.preferredWidth: root.width * 0.4
                    spacing: 10

                    Text {
                        Layout.fillWidth: true
                        text: qsTr("SFX Source Files")
                        horizontalAlignment: Text.AlignHCenter
                        font.pixelSize: 16
                        color: theme.light_text_color
                    }

                    Rectangle {
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        color: theme.default_bg_color

                        BasicBevel {
                        }

                        ListView {
                            id: sourceList
                            objectName: "sourceList"
                            anchors.fill: parent
                            clip: true
                            boundsBehavior: Flickable.StopAtBounds
                            activeFocusOnTab: true
                            model: root.availableSoundEffectsModel
                            ScrollBar.vertical: CustomScrollBar {
                                id: sourceScrollBar
                            }
                            delegate: Rectangle {
                                id: sourceRow

                                readonly property string rowText: model.displayname === undefined || model.displayname === null
                                                                 ? "" : String(model.displayname)
                                readonly property string rowSfxId: model.sfxid === undefined || model.sfxid === null
                                                                  ? "" : String(model.sfxid)
                                readonly property bool isCurrent: ListView.isCurrentItem

                                width: sourceList.width - sourceScrollBar.width
                                height: 40
                                color: isCurrent ? Qt.lighter(theme.default_bg_color, 1.3) : theme.default_bg_color

                                FocusHighlight {
                                    anchors.fill: parent
                                    visible: sourceRow.isCurrent && sourceList.activeFocus
                                }

                                Text {
                                    id: sourceLabel
                                    objectName: "sourceLabel"
                                    x: 10
                                    width: sourceRow.width - 10
                                    anchors.verticalCenter: parent.verticalCenter
                                    text: sourceRow.rowText
                                    font: theme.default_font
                                    color: "white"
                                    elide: Text.ElideRight
                                }

                                MouseArea {
                                    id: sourceMouse
                                    anchors.fill: parent
                                    hoverEnabled: true
                                    onClicked: {
                                        sourceList.currentIndex = index;
                                        sourceList.forceActiveFocus();
                                    }
                                    onDoubleClicked: root.requestCreate()
                                }

                                ZarnToolTip {
                                    parent: sourceLabel
                                    text: sourceRow.rowText
                                    delay: 1000
                                    timeout: 5000
                                    visible: sourceMouse.containsMouse && sourceLabel.truncated
                                }
                            }

                            // A list given its first rows makes the first one current.
                            onCountChanged: {
                                root.sourceCount = count;
                                if (count > 0 && currentIndex < 0)
                                    currentIndex = 0;
                            }
                            onCurrentIndexChanged: {
                                root.selectedSfxEffectId = root.currentText(sourceList, sourceRows, "sfxid", "rowSfxId");
                                root.soundEffectSelected(currentIndex);
                                root.selectedSfxInstanceEventId = "";
                                sourceList.forceActiveFocus();
                            }

                            Keys.onTabPressed: event => {
                                instanceList.forceActiveFocus();
                                event.accepted = true;
                            }
                            Keys.onBacktabPressed: event => {
                                closeButton.forceActiveFocus();
                                event.accepted = true;
                            }
                            Keys.onSpacePressed: event => {
                                root.requestCreate();
                                event.accepted = true;
                            }

                            Rectangle {
                                objectName: "sourceFocusFrame"
                                parent: sourceList.contentItem
                                width: sourceList.width - sourceScrollBar.width
                                height: sourceList.contentHeight
                                z: 10
                                color: "transparent"
                                border.width: 2
                                border.color: theme.default_selected_color_intense
                                opacity: 0.7
                                visible: sourceList.activeFocus
                            }

                        }
                    }
                }

                ColumnLayout {
                    id: instanceColumn
                    objectName: "instanceColumn"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    Layout.preferredWidth: root.width * 0.6
                    spacing: 10

                    Text {
                        Layout.fillWidth: true
                        text: qsTr("Instances")
                        horizontalAlignment: Text.AlignHCenter
                        font.pixelSize: 16
                        color: theme.light_text_color
                    }

                    Rectangle {
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        color: theme.default_bg_color

                        BasicBevel {
                        }

                        ListView {
                            id: instanceList
                            objectName: "instanceList"
                            anchors.fill: parent
                            clip: true
                            boundsBehavior: Flickable.StopAtBounds
                            activeFocusOnTab: true
                            model: root.soundEffectInstancesModel
                            ScrollBar.vertical: CustomScrollBar {
                                id: instanceScrollBar
                            }
                            delegate: Rectangle {
                                id: instanceRow

                                readonly property string rowEventId: model.eventId === undefined || model.eventId === null
                                                                    ? "" : String(model.eventId)
                                readonly property string rowSummary: model.summary === undefined || model.summary === null
                                                                    ? "" : String(model.summary)
                                readonly property bool rowReady: model.isReady === undefined ? true : Boolean(model.isReady)
                                readonly property bool isCurrent: ListView.isCurrentItem

                                objectName: "instanceRow_" + rowEventId
                                width: instanceList.width - instanceScrollBar.width
                                height: 40
                                color: isCurrent ? Qt.lighter(theme.default_bg_color, 1.3) : theme.default_bg_color

                                FocusHighlight {
                                    anchors.fill: parent
                                    visible: instanceRow.isCurrent && instanceList.activeFocus
                                }

                                RowLayout {
                                    anchors.fill: parent
                                    anchors.margins: 5
                                    spacing: 10

                                    Text {
                                        objectName: "eventIdText"
                                        text: instanceRow.rowEventId
                                        font.pixelSize: 12
                                        color: "gray"
                                    }

                                    Text {
                                        id: summaryLabel
                                        objectName: "summaryLabel"
                                        Layout.fillWidth: true
                                        text: instanceRow.rowSummary
                                        font: theme.default_font
                                        color: "white"
                                        elide: Text.ElideRight
                                        verticalAlignment: Text.AlignVCenter

                                        MouseArea {
                                            id: summaryHover
                                            anchors.fill: parent
                                            acceptedButtons: Qt.NoButton
                                            hoverEnabled: true
                                        }

                                        ZarnToolTip {
                                            text: instanceRow.rowSummary
                                            delay: 1000
                                            timeout: 5000
                                            visible: summaryHover.containsMouse && summaryLabel.truncated
                                        }
                                    }

                                    SfxPlayButton {
                                        id: playButton
                                        objectName: "playButton"
                                        Layout.preferredWidth: 24
                                        Layout.preferredHeight: 24
                                        Layout.minimumWidth: 24
                                        Layout.alignment: Qt.AlignVCenter
                                        buttonManagesState: false
                                        playing: root.playingContains(instanceRow.rowEventId)

                                        MouseArea {
                                            objectName: "playMouse"
                                            anchors.fill: parent
                                            onClicked: root.togglePlayback(instanceRow.rowEventId)
                                        }
                                    }
                                }

                                // The name zone: select, and a double-click to edit.
                                MouseArea {
                                    objectName: "nameZone"
                                    width: instanceRow.width * 3 / 4
                                    height: instanceRow.height
                                    onClicked: root.selectInstanceRow(index, instanceRow.rowEventId)
                                    onDoubleClicked: {
                                        if (instanceRow.rowEventId === root.selectedSfxInstanceEventId
                                                && root.enableModificationButtons()) {
                                            root.stopSfx(root.selectedSfxInstanceEventId);
                                            root.editSoundEffectInstanceClicked(instanceRow.rowEventId);
                                        }
                                    }
                                }

                                // A row that is not ready takes every press itself.
                                Rectangle {
                                    objectName: "notReadyLayer"
                                    anchors.fill: parent
                                    z: 100
                                    color: "#80000000"
                                    visible: !instanceRow.rowReady

                                    MouseArea {
                                        anchors.fill: parent
                                        acceptedButtons: Qt.AllButtons
                                        hoverEnabled: true
                                    }
                                }
                            }

                            onCountChanged: {
                                if (count > 0 && currentIndex < 0)
                                    currentIndex = 0;
                            }
                            onCurrentIndexChanged: {
                                root.selectedSfxInstanceEventId = root.currentText(instanceList, instanceRows, "eventId", "rowEventId");
                                root.playStateUpdated();
                            }

                            Keys.onSpacePressed: event => {
                                root.requestEditOfSelection();
                                event.accepted = true;
                            }

                            Rectangle {
                                objectName: "instanceFocusFrame"
                                parent: instanceList.contentItem
                                width: instanceList.width - instanceScrollBar.width
                                height: instanceList.contentHeight
                                z: 10
                                color: "transparent"
                                border.width: 2
                                border.color: theme.default_selected_color_intense
                                opacity: 0.7
                                visible: instanceList.activeFocus
                            }

                        }
                    }
                }
            }

            RowLayout {
                objectName: "buttonStrip"
                Layout.preferredHeight: 50
                Layout.maximumHeight: 50
                Layout.fillWidth: false
                Layout.preferredWidth: instanceColumn.width
                Layout.alignment: Qt.AlignRight
                spacing: 10

                FlatButton {
                    id: createButton
                    objectName: "createButton"
                    text: "Create"
                    onClicked: root.requestCreate()
                }
                FlatButton {
                    id: editButton
                    objectName: "editButton"
                    text: "Edit"
                    onClicked: root.requestEditOfSelection()
                }
                FlatButton {
                    id: deleteButton
                    objectName: "deleteButton"
                    text: "Delete"
                    onClicked: root.requestDeleteOfSelection()
                }
                Item {
                    Layout.fillWidth: true
                }
                FlatButton {
                    id: closeButton
                    objectName: "closeButton"
                    text: "Close"
                    isDefault: true
                    onClicked: root.close()
                }
            }
        }
    }
}
