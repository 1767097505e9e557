import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// One track of a mixer section: mute, solo, name, instrument, pan and volume. It shows what it
// is given and reports what the user does; the section turns the reports into role writes.
// The instrument box reports only a chosen entry: with no entry current (an instrument value
// not in the list) it sends nothing.
Item {
    id: root

    property string name: "Name"
    property alias isMuted: muteButton.checked
    property alias isSolo: soloButton.checked
    // What the row is given; the controls follow every change, also after the user moved them.
    property real volumeScaledDb: 0
    property real pan: 0.0
    property bool enableMute: true
    property bool enableSolo: true
    property string muteToolTip: "Mute Track"
    property string soloToolTip: "Solo Track"
    property var instrumentModel: null
    property alias currentInstrumentIndex: instrumentBox.currentIndex
    readonly property alias instrumentControl: instrumentBox
    readonly property alias muteButton: muteButton
    readonly property alias soloButton: soloButton
    readonly property alias panDial: panDial
    readonly property alias volumeSlider: volumeSlider

    signal instrumentSet(int instrumentValue)
    signal muteClicked()
    signal panSet(double value)
    signal soloClicked()
    signal volumeSet(double value)

    implicitHeight: row.implicitHeight
    height: row.implicitHeight

    ZarnTheme {
        id: theme
    }

    Binding {
        target: volumeSlider
        property: "value"
        value: root.volumeScaledDb
        when: !volumeSlider.pressed
        restoreMode: Binding.RestoreNone
    }
    Binding {
        target: panDial
        property: "value"
        value: root.pan
        when: !panDial.pressed
        restoreMode: Binding.RestoreNone
    }

    RowLayout {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        spacing: 10

        Row {
            Layout.preferredWidth: 45
            spacing: 3
            OutlineButton {
                id: muteButton
                objectName: "trackMuteButton"
                text: "M"
                enabled: root.enableMute
                toolTipText: root.muteToolTip
                onClicked: root.muteClicked()
            }
            OutlineButton {
                id: soloButton
                objectName: "trackSoloButton"
                text: "S"
                controlColor: "#D3AF37"
                enabled: root.enableSolo
                toolTipText: root.soloToolTip
                onClicked: root.soloClicked()
            }
        }

        Text {
            id: nameText
            objectName: "trackName"
            Layout.preferredWidth: 100
            Layout.fillWidth: true
            text: root.name
            color: "white"
            font: theme.default_font
            elide: Text.ElideRight

            MouseArea {
                id: nameHover
                anchors.fill: parent
                hoverEnabled: true
            }
            ZarnToolTip {
                delay: 500
                text: root.name
                visible: nameHover.containsMouse && nameText.truncated && root.name !== ""
            }
        }

        CustomComboBox {
            id: instrumentBox
            objectName: "instrumentBox"
            Layout.preferredWidth: 100
            Layout.fillWidth: true
            textRole: "displayname"
            valueRole: "value"
            model: root.instrumentModel
            minimumPopupWidth: 220
            onCurrentIndexChanged: {
                if (instrumentBox.isCompleted && instrumentBox.currentIndex >= 0)
                    root.instrumentSet(instrumentBox.valueAt(instrumentBox.currentIndex));
            }
            onActivated: index => {
                if (index >= 0)
                    root.instrumentSet(instrumentBox.valueAt(index));
            }
        }

        ZarnCustomDial {
            id: panDial
            objectName: "panDial"
            Layout.preferredWidth: 35
            Layout.preferredHeight: 25
            onMoved: root.panSet(panDial.value)
        }

        ZarnCustomVolumeSlider {
            id: volumeSlider
            objectName: "trackVolumeSlider"
            Layout.preferredWidth: 80
            Layout.fillWidth: true
            onMoved: root.volumeSet(volumeSlider.value)
        }
    }
}
