import QtQuick
import com.lanternhillstudios.zarn_ui

// The in and out position pickers of the event tools, with optional shift sliders. The tool
// controller fills the pickers: a bar the user chooses is announced as an update request so
// that the controller loads that bar's beats; indexes the controller sets itself are not.
Item {
    id: root

    property int panelWidth: parent ? parent.width : 0
    property int panelHeight: mainColumn.implicitHeight
    property bool hasDuration: true
    property bool hasMicroshift: false
    property bool showSelectAll: false
    property int inMinMicroshift: 0
    property int inMaxMicroshift: 1
    property int outMinMicroshift: 0
    property int outMaxMicroshift: 1

    property alias comboBoxWidth: inBarInput.width
    property alias inBar: inBarInput.displayText
    property alias outBar: outBarInput.displayText
    property alias inBeat: inBeatInput.displayText
    property alias outBeat: outBeatInput.displayText
    property alias inShift: inShiftSlider.value
    property alias inMicroshiftValue: inShiftSlider.value
    property alias outShift: outShiftSlider.value
    property alias outMicroshiftValue: outShiftSlider.value
    property alias inShiftEnabled: inShiftSlider.enabled
    property alias inBarModel: inBarInput.model

    signal inBeatInputUpdateRequest(var index)
    signal outBeatInputUpdateRequest(var index)
    signal inBarInputChanged()
    signal inBeatInputChanged()
    signal outBarInputChanged()
    signal outBeatInputChanged()
    signal pressEnter()

    // Moves the indexes only: the beat pickers keep the lists of the bars last chosen.
    function selectAll() {
        inBarInput.currentIndex = 0;
        outBarInput.currentIndex = outBarInput.count - 1;
        inBeatInput.currentIndex = 0;
        outBeatInput.currentIndex = outBeatInput.count - 1;
    }

    // The shifts are sliders, so a range is all there is to set.
    function setInMicroshiftMinMax(minValue: int, maxValue: int) {
        root.inMinMicroshift = minValue;
        root.inMaxMicroshift = maxValue;
    }

    function setOutMicroshiftMinMax(minValue: int, maxValue: int) {
        root.outMinMicroshift = minValue;
        root.outMaxMicroshift = maxValue;
    }

    width: panelWidth
    height: panelHeight
    implicitWidth: mainColumn.implicitWidth
    implicitHeight: mainColumn.implicitHeight

    ZarnTheme {
        id: theme
    }

    Column {
        id: mainColumn
        width: root.width
        spacing: 15

        Row {
            spacing: 0

            Column {
                objectName: "barColumn"
                width: 100

                Text {
                    objectName: "inBarLabel"
                    text: root.hasDuration ? qsTr("In Bar") : qsTr("Bar")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomComboBox {
                    id: inBarInput
                    objectName: "inBarInput"
                    width: parent.width
                    textRole: "bar"
                    onCurrentIndexChanged: root.inBarInputChanged()
                    onActivated: index => root.inBeatInputUpdateRequest(index)
                    onEnterPressed: root.pressEnter()
                }
                Text {
                    objectName: "outBarLabel"
                    topPadding: 10
                    text: qsTr("Out Bar")
                    font: theme.default_font
                    color: theme.default_text_color
                    visible: root.hasDuration
                }
                CustomComboBox {
                    id: outBarInput
                    objectName: "outBarInput"
                    width: parent.width
                    textRole: "bar"
                    visible: root.hasDuration
                    onCurrentIndexChanged: root.outBarInputChanged()
                    onActivated: index => root.outBeatInputUpdateRequest(index)
                    onEnterPressed: root.pressEnter()
                }
            }

            Column {
                objectName: "beatColumn"
                width: 100

                Text {
                    objectName: "inBeatLabel"
                    text: root.hasDuration ? qsTr("In Beat") : qsTr("Beat")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                CustomComboBox {
                    id: inBeatInput
                    objectName: "inBeatInput"
                    width: parent.width
                    onCurrentIndexChanged: root.inBeatInputChanged()
                    onEnterPressed: root.pressEnter()
                }
                Text {
                    objectName: "outBeatLabel"
                    topPadding: 10
                    text: qsTr("Out Beat")
                    font: theme.default_font
                    color: theme.default_text_color
                    visible: root.hasDuration
                }
                CustomComboBox {
                    id: outBeatInput
                    objectName: "outBeatInput"
                    width: parent.width
                    visible: root.hasDuration
                    onCurrentIndexChanged: root.outBeatInputChanged()
                    onEnterPressed: root.pressEnter()
                }
            }

            Column {
                objectName: "microshiftColumn"
                width: 100
                visible: root.hasMicroshift

                Text {
                    objectName: "inShiftLabel"
                    text: root.hasDuration ? qsTr("In Shift") : qsTr("Microshift")
                    font: theme.default_font
                    color: theme.default_text_color
                }
                ZarnCustomSlider {
                    id: inShiftSlider
                    objectName: "inShiftSlider"
                    width: 150
                    from: root.inMinMicroshift
                    to: root.inMaxMicroshift
                    value: 0
                    showZeroMark: false

                    ZarnToolTip {
                        objectName: "inShiftToolTip"
                        parent: inShiftSlider
                        delay: 500
                        text: qsTr("Value: ") + inShiftSlider.value.toFixed(0)
                        visible: inShiftSlider.hovered || inShiftSlider.isFocused
                    }
                }
                Text {
                    objectName: "outShiftLabel"
                    topPadding: 10
                    text: qsTr("Out Microshift")
                    font: theme.default_font
                    color: theme.default_text_color
                    visible: root.hasDuration
                }
                ZarnCustomSlider {
                    id: outShiftSlider
                    objectName: "outShiftSlider"
                    width: 150
                    from: root.outMinMicroshift
                    to: root.outMaxMicroshift
                    value: 0
                    showZeroMark: false
                    visible: root.hasDuration

                    ZarnToolTip {
                        objectName: "outShiftToolTip"
                        parent: outShiftSlider
                        delay: 500
                        text: qsTr("Value: ") + outShiftSlider.value.toFixed(0)
                        visible: outShiftSlider.hovered || outShiftSlider.isFocused
                    }
                }
            }
        }

        FlatButton {
            objectName: "selectAllButton"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 130
            height: 30
            text: qsTr("Select All")
            visible: root.showSelectAll
            onClicked: root.selectAll()
        }
    }
}
