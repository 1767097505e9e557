import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The mixer page: a general section (click volume, "Reset Mixer", tempo scale, transposition)
// and one section per row of `mixerModel`. It holds no mixer state: the general controls are
// reported through the four signals, sections and tracks are changed by writing the models'
// roles, whose request signals the host acts on.
Item {
    id: root

    property var mixerModel: null
    property bool showTempoScale: false
    property bool showTranspose: false
    property bool showClickVolume: true
    property real prevTempoScale: 1.0
    property int prevTranspose: 0
    property alias clickVolumeControlValueScaledDb: clickSlider.value
    property real minClickVolumeDB: -15.0
    readonly property alias clickSlider: clickSlider
    readonly property alias tempoSlider: tempoSlider
    readonly property alias transposeSlider: transposeSlider
    readonly property alias generalSection: generalSection
    readonly property alias sectionRepeater: sectionRepeater

    signal clickVolumeSet(double valueDB)
    signal tempoScaleSet(double value)
    signal transposeSet(double value)
    signal resetMixerClicked()

    function signedText(value) {
        return (value >= 0 ? "+" : "") + value;
    }

    ZarnTheme {
        id: theme
    }

    RowLayout {
        anchors.fill: parent

        Flickable {
            id: flick
            objectName: "mixerFlickable"
            Layout.fillWidth: true
            Layout.fillHeight: true
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            clip: true
            contentWidth: width
            contentHeight: sections.height
            ScrollBar.vertical: CustomScrollBar {
                id: scrollBar
            }

            Column {
                id: sections
                x: 7
                width: flick.width - 7 - 7 - scrollBar.width
                spacing: 10

                MixerSection {
                    id: generalSection
                    objectName: "generalSection"
                    width: sections.width
                    title: root.showTempoScale || root.showTranspose ? qsTr("General Settings") : ""

                    mainContent: Item {
                        width: generalSection.width
                        height: grid.implicitHeight + 14

                        GridLayout {
                            id: grid
                            x: 7
                            y: 7
                            width: parent.width - 14
                            columns: 3
                            columnSpacing: 10

                            Text {
                                objectName: "clickVolumeLabel"
                                visible: root.showClickVolume
                                text: qsTr("Click Volume")
                                font: theme.default_font
                                color: theme.default_text_color
                                MouseArea {
                                    id: clickLabelHover
                                    anchors.fill: parent
                                    hoverEnabled: true
                                }
                                ZarnToolTip {
                                    delay: 500
                                    text: qsTr("Click volume cannot be muted")
                                    visible: clickLabelHover.containsMouse
                                }
                            }
                            ZarnCustomVolumeSlider {
                                id: clickSlider
                                objectName: "clickSlider"
                                visible: root.showClickVolume
                                Layout.preferredWidth: 160
                                from: Math.exp(root.minClickVolumeDB / 25)
                                to: 1.0
                                value: 1.0
                                onMoved: root.clickVolumeSet(25 * Math.log(clickSlider.value))
                            }
                            RowLayout {
                                Layout.fillWidth: true
                                Text {
                                    objectName: "clickLevelText"
                                    visible: root.showClickVolume
                                    Layout.preferredWidth: 48
                                    text: (25 * Math.log(clickSlider.value)).toFixed(1) + " dB"
                                    font: theme.default_font
                                    color: theme.default_text_color
                                }
                                Item {
                                    Layout.fillWidth: true
                                }
                                FlatButton {
                                    objectName: "resetMixerButton"
                                    text: qsTr("Reset Mixer")
                                    onClicked: root.resetMixerClicked()
                                }
                            }

                            Text {
                                visible: root.showTempoScale
                                text: qsTr("Tempo Scale")
                                font: theme.default_font
                                color: theme.default_text_color
                            }
                            ZarnCustomSlider {
                                id: tempoSlider
                                objectName: "tempoSlider"
                                visible: root.showTempoScale
                                Layout.preferredWidth: 160
                                from: -50
                                to: 50
                                stepSize: 1
                                zeroMark: 0
                                value: 0
                                onMoved: {
                                    if (tempoSlider.value !== root.prevTempoScale) {
                                        root.tempoScaleSet(tempoSlider.value);
                                        root.prevTempoScale = tempoSlider.value;
                                    }
                                }
                            }
                            Text {
                                objectName: "tempoText"
                                visible: root.showTempoScale
                                text: root.signedText(tempoSlider.value) + "%"
                                font: theme.default_font
                                color: theme.default_text_color
                            }

                            Text {
                                visible: root.showTranspose
                                text: qsTr("Transpose")
                                font: theme.default_font
                                color: theme.default_text_color
                            }
                            ZarnCustomSlider {
                                id: transposeSlider
                                objectName: "transposeSlider"
                                visible: root.showTranspose
                                Layout.preferredWidth: 160
                                from: -6
                                to: 6
                                stepSize: 1
                                zeroMark: 0
                                value: 0
                                onMoved: {
                                    if (transposeSlider.value !== root.prevTranspose) {
                                        root.transposeSet(transposeSlider.value);
                                        root.prevTranspose = transposeSlider.value;
                                    }
                                }
                            }
                            Text {
                                objectName: "transposeText"
                                visible: root.showTranspose
                                text: root.signedText(transposeSlider.value)
                                font: theme.default_font
                                color: theme.default_text_color
                            }
                        }
                    }
                }

                Repeater {
                    id: sectionRepeater
                    model: root.mixerModel

                    MixerSectionInstruments {
                        id: section
                        required property int index
                        required property var model
                        width: sections.width
                        title: model.name
                        tracksModel: model.tracksModel
                        toolTipText: model.tooltip
                        isMuted: model.isMuted
                        isSolo: model.isSolo
                        onMuteClicked: section.model.isMuted = !section.model.isMuted
                        onSoloClicked: section.model.isSolo = !section.model.isSolo
                    }
                }
            }
        }
    }
}
