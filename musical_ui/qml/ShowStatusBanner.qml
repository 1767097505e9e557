import QtQuick
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The live strip beside the transport bar: album art, song title and flow state, measure and
// beat, the musical values with the output level, and the MIDI and OSC lamps. The engine's
// notifications write its properties through the main window. Colours come from the `theme`
// object of the window the banner is placed in.
Item {
    id: banner

    property color labelColor: "#959595"
    property color backgroundColor: "#191919"
    property color valueColor: "white"
    property color defaultNotificationColor: theme.off_indicator_color
    property color highlightedNotificationColor: theme.on_indicator_color
    property int labelFontSize: 12
    property int bigLabelFontSize: 32
    property string songTitle: ""
    property alias key: keyCell.valueText
    property alias transpose: transposeCell.valueText
    property alias tempo: tempoCell.valueText
    property alias tempoScale: tempoScaleCell.valueText
    property alias meter: meterCell.valueText
    property alias flowControlLabel: flowControlCell.labelText
    property alias flowControlValue: flowControlCell.valueText
    property color flowControlBackgroundColor: "#333"
    property alias volumeLevelPercent: levelMeter.value
    property alias albumArtImageControl: albumArt
    property string measure: "0000"
    property string beat: "00"

    // Reached by the window for its own alias, and by the tests.
    property alias albumArtVisible: albumArt.visible
    readonly property alias titleTruncated: title.truncatedTitle

    signal barBeatClicked()

    function highlightMidiNotice() {
        midiLamp.color = banner.highlightedNotificationColor;
        midiRevertTimer.restart();
    }

    function highlightOscNotice() {
        oscLamp.color = banner.highlightedNotificationColor;
        oscRevertTimer.restart();
    }

    function highlightOscOutgoingNotice() {
        oscLamp.color = "#FFD700";
        oscRevertTimer.restart();
    }

    function zeroFill(number, width) {
        const text = String(number);
        const w = width - text.length;
        if (w <= 0)
            return text;
        const zeros = text.indexOf(".") >= 0 ? w + 1 : w;
        return "0".repeat(zeros) + text;
    }

    // The title goes into rich text (for the indent after the caption), so whatever markup it
    // holds is escaped and shows as typed.
    function escapeMarkup(text) {
        return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
                           .replace(/"/g, "&quot;");
    }

    function titleMarkup(text) {
        return "<p style=\"margin:0; white-space:pre-wrap; text-indent:" + (songCaption.implicitWidth + 5)
               + "px\">" + escapeMarkup(text) + "</p>";
    }

    implicitWidth: 608
    implicitHeight: 75

    Timer {
        id: midiRevertTimer
        interval: 500
        repeat: false
        onTriggered: midiLamp.color = banner.defaultNotificationColor
    }

    Timer {
        id: oscRevertTimer
        interval: 500
        repeat: false
        onTriggered: oscLamp.color = banner.defaultNotificationColor
    }

    TextMetrics {
        id: measureMetrics
        font.pixelSize: banner.bigLabelFontSize
        text: "0000"
    }

    TextMetrics {
        id: beatMetrics
        font.pixelSize: banner.bigLabelFontSize
        text: "00"
    }

    // The panels keep their widths where there is room and are centred; on a narrow window
    // (wide art and logo beside them) the song panel (whose title elides anyway) gives way
    // most, rather than the row running under the corner logo.
    RowLayout {
        anchors.fill: parent
        spacing: 0

        Item {
            Layout.fillWidth: true
        }

        Image {
            id: albumArt
            objectName: "albumArt"
            Layout.preferredWidth: 75
            Layout.preferredHeight: 75
            Layout.rightMargin: 10
            Layout.alignment: Qt.AlignVCenter
            fillMode: Image.PreserveAspectFit
            smooth: true
            mipmap: true
            visible: false
        }

        Rectangle {
            id: songPanel
            objectName: "songPanel"
            Layout.preferredWidth: 175
            Layout.maximumWidth: 175
            Layout.minimumWidth: 100
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: banner.backgroundColor

            BasicBevel {}

            ColumnLayout {
                anchors.fill: parent
                anchors.leftMargin: 24
                anchors.rightMargin: 10
                anchors.topMargin: 0
                spacing: 5

                Item {
                    Layout.fillHeight: true
                }

                Item {
                    id: songGroup
                    Layout.fillWidth: true
                    Layout.preferredHeight: 2 * songCaption.implicitHeight

                    Text {
                        id: songCaption
                        text: "Song:"
                        color: banner.labelColor
                        font.pixelSize: 12
                    }

                    // Rich text cannot elide by itself: the shown title is cut by hand to the
                    // longest beginning that still fits the two lines with an ellipsis.
                    Text {
                        id: title
                        objectName: "songTitleText"

                        property string shownTitle: ""
                        property bool truncatedTitle: false

                        function fits(text) {
                            fitProbe.width = width;
                            fitProbe.text = banner.titleMarkup(text);
                            return fitProbe.contentHeight <= height + 0.5 && fitProbe.contentWidth <= width + 0.5;
                        }

                        function refit() {
                            const full = banner.songTitle;
                            if (width <= 0 || height <= 0 || fits(full)) {
                                shownTitle = full;
                                truncatedTitle = false;
                                return;
                            }
                            let lo = 0;
                            let hi = full.length;
                            while (lo < hi) {
                                const mid = Math.ceil((lo + hi) / 2);
                                if (fits(full.slice(0, mid).replace(/\s+$/, "") + "\u2026"))
                                    lo = mid;
                                else
                                    hi = mid - 1;
                            }
                            shownTitle = full.slice(0, lo).replace(/\s+$/, "") + "\u2026";
                            truncatedTitle = true;
                        }

                        anchors.fill: parent
                        anchors.rightMargin: 5
                        textFormat: Text.RichText
                        text: banner.titleMarkup(shownTitle)
                        color: "white"
                        font.pixelSize: 12
                        wrapMode: Text.WordWrap
                        verticalAlignment: Text.AlignTop
                        elide: Text.ElideRight
                        clip: true

                        onWidthChanged: refit()
                        onHeightChanged: refit()
                        Component.onCompleted: refit()

                        Connections {
                            target: banner
                            function onSongTitleChanged() {
                                title.refit();
                            }
                        }

                        Text {
                            id: fitProbe
                            visible: false
                            textFormat: Text.RichText
                            font.pixelSize: 12
                            wrapMode: Text.WordWrap
                        }

                        MouseArea {
                            id: titleHover
                            anchors.fill: parent
                            hoverEnabled: true
                            acceptedButtons: Qt.NoButton
                        }

                        ZarnToolTip {
                            objectName: "songTitleToolTip"
                            text: banner.songTitle
                            delay: 1000
                            timeout: 5000
                            visible: titleHover.containsMouse && title.truncatedTitle
                        }
                    }
                }

                ShowBannerValue {
                    id: flowControlCell
                    objectName: "flowControlCell"
                    spaceAroundText: 2
                    backgroundColor: banner.flowControlBackgroundColor
                    barBackgroundOpacity: 0.7
                    labelColor: "white"
                }

                Item {
                    Layout.fillHeight: true
                }
            }
        }

        Rectangle {
            objectName: "measurePanel"
            Layout.preferredWidth: 175
            Layout.maximumWidth: 175
            Layout.minimumWidth: 150
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: banner.backgroundColor

            BasicBevel {}

            GridLayout {
                anchors.centerIn: parent
                columns: 3
                rowSpacing: 0
                columnSpacing: 0

                Text {
                    objectName: "measureText"
                    Layout.preferredWidth: measureMetrics.advanceWidth
                    text: banner.zeroFill(banner.measure, 4)
                    color: banner.valueColor
                    font.pixelSize: banner.bigLabelFontSize
                    horizontalAlignment: Text.AlignHCenter

                    MouseArea {
                        objectName: "measureArea"
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: banner.barBeatClicked()
                    }
                }
                Text {
                    Layout.topMargin: -5
                    Layout.alignment: Qt.AlignHCenter
                    text: "|"
                    color: banner.labelColor
                    font.pixelSize: banner.bigLabelFontSize - 10
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    objectName: "beatText"
                    Layout.preferredWidth: beatMetrics.advanceWidth
                    text: banner.zeroFill(banner.beat, 2)
                    color: banner.valueColor
                    font.pixelSize: banner.bigLabelFontSize
                    horizontalAlignment: Text.AlignHCenter

                    MouseArea {
                        objectName: "beatArea"
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: banner.barBeatClicked()
                    }
                }

                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Measure"
                    color: banner.labelColor
                    font.pixelSize: banner.labelFontSize
                    font.family: "Helvetica Neue"
                    horizontalAlignment: Text.AlignHCenter
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: ""
                    font.pixelSize: banner.labelFontSize
                    font.family: "Helvetica Neue"
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: "Beat"
                    color: banner.labelColor
                    font.pixelSize: banner.labelFontSize
                    font.family: "Helvetica Neue"
                    horizontalAlignment: Text.AlignHCenter
                }
            }
        }

        Rectangle {
            objectName: "valuesPanel"
            Layout.preferredWidth: 280
            Layout.maximumWidth: 280
            Layout.minimumWidth: 265
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: banner.backgroundColor

            BasicBevel {}

            GridLayout {
                anchors.fill: parent
                anchors.leftMargin: 24
                anchors.rightMargin: 24
                anchors.topMargin: 10
                anchors.bottomMargin: 10
                columns: 2
                rows: 3
                columnSpacing: 25
                rowSpacing: 5

                ShowBannerValue {
                    id: keyCell
                    Layout.preferredWidth: 100
                    Layout.fillWidth: false
                    labelText: "Key:"
                    valueText: "TBD"
                }
                ShowBannerValue {
                    id: transposeCell
                    labelText: "Transpose:"
                    valueText: "TBD"
                }
                ShowBannerValue {
                    id: tempoCell
                    labelText: "Tempo:"
                    valueText: "TBD"
                }
                ShowBannerValue {
                    id: tempoScaleCell
                    Layout.preferredWidth: 100
                    labelText: "Tempo Scale:"
                    valueText: "TBD"
                }
                ShowBannerValue {
                    id: meterCell
                    labelText: "Meter:"
                    valueText: "TBD"
                }
                VolumeIndicatorSegmented {
                    id: levelMeter
                    objectName: "levelMeter"
                    Layout.fillWidth: true
                    Layout.preferredHeight: transposeCell.implicitHeight
                    segments: 10
                    value: 1
                }
            }
        }

        Rectangle {
            objectName: "noticePanel"
            Layout.preferredWidth: 33
            Layout.fillHeight: true
            color: banner.backgroundColor

            BasicBevel {}

            ColumnLayout {
                anchors.fill: parent
                anchors.topMargin: 10
                spacing: 0

                Text {
                    id: midiLamp
                    objectName: "midiLamp"
                    Layout.fillWidth: true
                    text: "MIDI"
                    horizontalAlignment: Text.AlignHCenter
                    font.pixelSize: 8
                    color: banner.defaultNotificationColor
                }
                Text {
                    id: oscLamp
                    objectName: "oscLamp"
                    Layout.fillWidth: true
                    text: "OSC"
                    horizontalAlignment: Text.AlignHCenter
                    font.pixelSize: 8
                    color: banner.defaultNotificationColor
                }
                Item {
                    Layout.fillHeight: true
                }
            }
        }

        Item {
            Layout.fillWidth: true
        }
    }
}
