import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Qt.labs.settings 1.0
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.packager2_ui

// The show packager: names a show and its folders on the Show tab and packs it, or packs a
// folder of sound effects on the SFX tab. The window does no packing itself: it binds its
// fields to its PackagerController and shows the controller's result. The fields and the
// window's place persist in the host application's settings.
ApplicationWindow {
    id: root

    readonly property alias theme: theme
    property alias files: midiFiles.model
    property alias showName: showNameInput.value
    property alias sourceDirectory: sourceInput.value
    property alias destinationDirectory: destinationInput.value
    property alias imageDirectory: imageInput.value
    property alias soundEffectsDirectory: soundEffectsInput.value
    property alias advancedFeatures: packageControl.toggled
    property alias sfxSourceDirectory: sfxSourceInput.value
    property alias sfxDestinationDirectory: sfxDestinationInput.value
    readonly property alias controller: controller
    readonly property alias resultPopup: resultPopup
    readonly property alias tabBar: tabBar
    readonly property alias showPage: showPage
    readonly property alias packageControl: packageControl

    // The Show page's keyboard order; Tab and Shift+Tab go round it.
    function showPageFocusOrder() {
        return [showNameInput.field, sourceInput.field, sourceInput.button, destinationInput.field,
                destinationInput.button, imageInput.field, imageInput.button, soundEffectsInput.field,
                soundEffectsInput.button, packageControl.button, packageControl.toggle];
    }

    // Whether the keyboard focus sits inside the Show page.
    function focusInShowPage() {
        for (let item = root.activeFocusItem; item; item = item.parent) {
            if (item === showPage)
                return true;
        }
        return false;
    }

    function moveShowPageFocus(step) {
        const order = root.showPageFocusOrder();
        const at = order.findIndex(item => item.activeFocus);
        if (at === -1)
            return;
        order[(at + step + order.length) % order.length].forceActiveFocus(step > 0 ? Qt.TabFocusReason
                                                                                   : Qt.BacktabFocusReason);
    }

    function showResult() {
        const body = String(controller.messageBody);
        resultPopup.detailText = body;
        resultPopup.headline = (body.indexOf("Warning") !== -1 || body.indexOf("Error") !== -1)
                ? qsTr("Problems Encountered") : qsTr("Packaging Complete");
        resultPopup.open();
        resultPopup.forceActiveFocus();
    }

    width: 720
    height: 625
    visible: true
    color: theme.default_bg_color
    title: "ZARN Show Packager " + controller.versionString()

    Component.onCompleted: showNameInput.field.forceActiveFocus()

    ZarnTheme {
        id: theme
    }

    PackagerController {
        id: controller
        name: root.showName
        sourceDirectory: root.sourceDirectory
        destinationDirectory: root.destinationDirectory
        imageDirectory: root.imageDirectory
        soundEffectsDirectory: root.soundEffectsDirectory
        advancedFeatures: root.advancedFeatures
        sfxSourceDirectory: root.sfxSourceDirectory
        sfxDestinationDirectory: root.sfxDestinationDirectory

        onFilesChanged: root.files = controller.files
        onMessageChanged: {
            if (controller.message)
                root.showResult();
        }
    }

    Settings {
        category: "appearance"
        property alias x: root.x
        property alias y: root.y
        property alias height: root.height
        property alias width: root.width
    }
    Settings {
        category: "show"
        property alias showName: root.showName
        property alias sourceDirectory: root.sourceDirectory
        property alias destinationDirectory: root.destinationDirectory
        property alias imageDirectory: root.imageDirectory
        property alias soundEffectsDirectory: root.soundEffectsDirectory
        property alias advancedFeatures: root.advancedFeatures
        property alias sfxSourceDirectory: root.sfxSourceDirectory
        property alias sfxDestinationDirectory: root.sfxDestinationDirectory
        property alias files: root.files
    }
    Settings {
        category: "sfx"
        property alias sfxSourceDirectory: root.sfxSourceDirectory
        property alias sfxDestinationDirectory: root.sfxDestinationDirectory
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 16

        TabBar {
            id: tabBar
            objectName: "tabBar"
            Layout.fillWidth: true
            background: Rectangle {
                color: theme.default_bg_color
            }

            ModeTabButton {
                objectName: "showTab"
                text: qsTr("Show")
                font: theme.default_font
            }
            ModeTabButton {
                objectName: "sfxTab"
                text: qsTr("SFX")
                font: theme.default_font
            }
        }

        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 15
            currentIndex: tabBar.currentIndex

            ColumnLayout {
                id: showPage
                objectName: "showPage"
                spacing: 10

                // The page takes Tab and Shift+Tab before its fields and buttons do: their own
                // tab handling would follow Qt's focus chain out of the page.
                Shortcut {
                    sequences: ["Tab"]
                    enabled: tabBar.currentIndex === 0 && root.activeFocusItem !== null && root.focusInShowPage()
                    onActivated: root.moveShowPageFocus(1)
                    onActivatedAmbiguously: root.moveShowPageFocus(1)
                }
                Shortcut {
                    sequences: ["Shift+Tab", "Backtab", "Shift+Backtab"]
                    enabled: tabBar.currentIndex === 0 && root.activeFocusItem !== null && root.focusInShowPage()
                    onActivated: root.moveShowPageFocus(-1)
                    onActivatedAmbiguously: root.moveShowPageFocus(-1)
                }

                TextInputControl {
                    id: showNameInput
                    objectName: "showNameInput"
                    Layout.fillWidth: true
                    text: qsTr("Show Name")
                }
                DirectoryInputControl {
                    id: sourceInput
                    objectName: "sourceInput"
                    Layout.fillWidth: true
                    text: qsTr("Source Directory")
                }
                DirectoryInputControl {
                    id: destinationInput
                    objectName: "destinationInput"
                    Layout.fillWidth: true
                    text: qsTr("Destination Directory")
                }
                DirectoryInputControl {
                    id: imageInput
                    objectName: "imageInput"
                    Layout.fillWidth: true
                    text: qsTr("Image Directory")
                }
                DirectoryInputControl {
                    id: soundEffectsInput
                    objectName: "soundEffectsInput"
                    Layout.fillWidth: true
                    text: qsTr("Sound Effects Directory")
                }
                FileDisplay {
                    id: midiFiles
                    objectName: "midiFiles"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    text: qsTr("MIDI Files")
                    model: []
                }
                PackageControl {
                    id: packageControl
                    objectName: "packageControl"
                    Layout.fillWidth: true
                    toggleText: qsTr("Package with Advanced Features")
                    buttonText: qsTr("Package")
                    fontSize: 16
                    onClicked: controller.package()
                }
            }

            ColumnLayout {
                id: sfxPage
                objectName: "sfxPage"
                spacing: 10

                FileInputControl {
                    objectName: "csvInput"
                    Layout.fillWidth: true
                    text: qsTr("CSV File to Convert to Manifest")
                    nameFilters: ["CSV Files (*.csv)", "All files (*)"]
                    visible: false
                }
                DirectoryInputControl {
                    id: sfxSourceInput
                    objectName: "sfxSourceInput"
                    Layout.fillWidth: true
                    text: qsTr("SFX Source Directory (oggs)")
                }
                DirectoryInputControl {
                    id: sfxDestinationInput
                    objectName: "sfxDestinationInput"
                    Layout.fillWidth: true
                    text: qsTr("SFX Destination Directory")
                }
                // 80 wide, or as wide as its label where that is wider: a clipped label helps no one.
                FlatButton {
                    objectName: "packageSfxButton"
                    Layout.preferredWidth: Math.max(80, implicitWidth)
                    text: qsTr("Package SFX")
                    onClicked: controller.packageSfx()
                }
                Item {
                    Layout.fillHeight: true
                }
            }
        }
    }

    Popup {
        id: resultPopup
        objectName: "resultPopup"

        property string headline: ""
        property string detailText: ""

        function acknowledge() {
            resultPopup.close();
            controller.message = false;
            controller.messageBody = "";
        }

        anchors.centerIn: Overlay.overlay
        width: detailText !== "" ? 640 : 400
        height: detailText !== "" ? 480 : 100
        modal: true
        focus: true
        padding: 15
        closePolicy: Popup.NoAutoClose

        Overlay.modal: Rectangle {
            color: "#88000000"
        }

        background: Rectangle {
            color: theme.default_bg_color
        }

        contentItem: ColumnLayout {
            spacing: 10

            TextEdit {
                objectName: "headline"
                Layout.fillWidth: true
                text: resultPopup.headline
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                font.bold: true
                font.pixelSize: 14
                color: theme.default_text_color
            }

            Rectangle {
                objectName: "detailPanel"
                Layout.fillWidth: true
                Layout.fillHeight: true
                color: Qt.lighter(theme.default_bg_color, 1.25)
                visible: resultPopup.detailText !== ""

                ScrollView {
                    anchors.fill: parent
                    anchors.margins: 5

                    TextArea {
                        id: detailArea
                        objectName: "detailArea"
                        text: resultPopup.detailText
                        readOnly: true
                        selectByMouse: true
                        wrapMode: TextEdit.Wrap
                        font.pixelSize: 14
                        color: theme.default_text_header_color
                        background: null
                    }
                }
            }

            Item {
                Layout.fillHeight: true
                visible: resultPopup.detailText === ""
            }

            RowLayout {
                Layout.fillWidth: true

                FlatButton {
                    objectName: "copyButton"
                    text: qsTr("Copy to Clipboard")
                    visible: resultPopup.detailText !== ""
                    onClicked: {
                        detailArea.selectAll();
                        detailArea.copy();
                    }
                }
                Item {
                    Layout.fillWidth: true
                }
                FlatButton {
                    objectName: "okButton"
                    text: qsTr("OK")
                    isDefault: true
                    onClicked: resultPopup.acknowledge()
                }
            }
        }
    }
}
