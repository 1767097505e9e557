import QtQuick
import QtQuick.Controls
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 500
    height: 400

    Component {
        id: textInputComponent
        TextInputControl {
            property int textChanges: 0
            width: 300
            text: "Show name"
            onTextChanged: ++textChanges
        }
    }

    Component {
        id: directoryComponent
        DirectoryInputControl {
            property int textChanges: 0
            y: 100
            width: 300
            text: "Destination"
            onTextChanged: ++textChanges
        }
    }

    Component {
        id: fileComponent
        FileInputControl {
            property int textChanges: 0
            y: 200
            width: 300
            nameFilters: ["WAV Files (*.wav)", "All files (*)"]
            onTextChanged: ++textChanges
        }
    }

    Component {
        id: displayComponent
        FileDisplay {
            width: 200
            height: 120
            text: "MIDI files"
        }
    }

    Component {
        id: areaComponent
        RecessedTextArea {
            property int edits: 0
            property int finished: 0
            width: 200
            height: 80
            onTextEdited: ++edits
            onEditingFinished: ++finished
        }
    }

    TestCase {
        name: "LabelledControls"
        when: windowShown

        // Counts textChanged only from here on: the label's text set at creation raises it too.
        function make(component) {
            const control = createTemporaryObject(component, stage);
            verify(control);
            control.textChanges = 0;
            return control;
        }

        function test_textInputLayout() {
            const control = make(textInputComponent);
            const label = findChild(control, "label");
            const input = findChild(control, "input");
            compare(label.text, "Show name");
            compare(label.font.pixelSize, 16);
            compare(label.color, Qt.color("#a4a4a4"));
            compare(input.y, label.height + 5);
            compare(input.width, 300);
            compare(control.implicitHeight, label.implicitHeight + 5 + input.implicitHeight);
            compare(control.implicitWidth, label.implicitWidth + input.implicitWidth);
            compare(control.theme.default_text_color, Qt.color("#a4a4a4"));
        }

        function test_textInputEditsRaiseTextChanged() {
            const control = make(textInputComponent);
            control.value = "Set by the holder";
            compare(control.textChanges, 0, "setting the value is no edit");
            control.field.selectAll();
            control.field.forceActiveFocus();
            keyClick(Qt.Key_A);
            keyClick(Qt.Key_B);
            compare(control.value, "ab");
            compare(control.textChanges, 2);
            compare(control.text, "Show name", "the label stays");
        }

        function test_textInputHasFocus() {
            const control = make(textInputComponent);
            control.value = "Les Mis";
            control.hasFocus = true;
            verify(control.field.activeFocus);
            compare(control.field.selectedText, "Les Mis");
        }

        function test_directoryLayout() {
            const control = make(directoryComponent);
            const input = findChild(control, "input");
            const button = control.button;
            compare(button.text, "Choose");
            compare(button.width, 80);
            compare(button.x + button.width, 300);
            compare(input.width, button.x - 10);
            compare(button.y, input.y);
            compare(button.height, input.height);
            compare(input.y, findChild(control, "label").height + 10);
            compare(control.chooser.modality, Qt.WindowModal);
        }

        function test_directoryTypingRaisesTextChangedPerKey() {
            const control = make(directoryComponent);
            control.field.forceActiveFocus();
            keyClick(Qt.Key_Slash);
            keyClick(Qt.Key_T);
            keyClick(Qt.Key_M);
            compare(control.value, "/tm");
            compare(control.textChanges, 3);
        }

        function test_directoryChosenPath_data() {
            return [
                { tag: "plain", url: "file:///home/op/Shows", path: "/home/op/Shows" },
                { tag: "drive letter on Linux", url: "file:///D:/Shows", path: "/D:/Shows" },
                { tag: "spaces", url: "file:///home/op/My%20Shows", path: "/home/op/My Shows" },
                { tag: "non-ASCII", url: "file:///home/op/Th%C3%A9%C3%A2tre/%E6%BC%94", path: "/home/op/Th\u00e9\u00e2tre/\u6f14" },
                { tag: "percent sign", url: "file:///home/op/100%25", path: "/home/op/100%" },
            ];
        }
        function test_directoryChosenPath(data) {
            const control = make(directoryComponent);
            control.acceptFolder(data.url);
            compare(control.value, data.path);
            compare(control.textChanges, 1);
        }

        function test_directoryChooserAcceptAndCancel() {
            const control = make(directoryComponent);
            verify(!control.chooser.visible);
            mouseClick(control.button);
            verify(control.chooser.visible);
            control.chooser.selectedFolder = "file:///tmp";
            control.chooser.accept();
            verify(!control.chooser.visible);
            compare(control.value, "/tmp");
            compare(control.textChanges, 1);

            control.button.forceActiveFocus();
            keyClick(Qt.Key_Return);
            verify(control.chooser.visible);
            control.chooser.selectedFolder = "file:///";
            control.chooser.reject();
            verify(!control.chooser.visible);
            compare(control.value, "/tmp");
            compare(control.textChanges, 1);
        }

        function test_localPathOnWindows_data() {
            return [
                { tag: "drive letter", url: "file:///D:/Shows", path: "D:/Shows" },
                { tag: "drive letter, spaces", url: "file:///C:/My%20Shows/a.wav", path: "C:/My Shows/a.wav" },
                { tag: "network share", url: "file://server/share/x", path: "//server/share/x" },
            ];
        }
        function test_localPathOnWindows(data) {
            const control = make(fileComponent);
            compare(control.localPathOf(data.url, "windows"), data.path);
        }

        function test_fileFieldRefusesTyping() {
            const control = make(fileComponent);
            const input = findChild(control, "input");
            verify(!input.editable);
            mouseClick(input);
            control.field.forceActiveFocus();
            keyClick(Qt.Key_A);
            compare(control.value, "");
            compare(control.textChanges, 0);
        }

        function test_fileLayoutAndDefaults() {
            const control = make(fileComponent);
            const label = findChild(control, "label");
            const input = findChild(control, "input");
            verify(!label.visible);
            compare(label.width, 0);
            compare(label.height, 0);
            compare(control.implicitHeight, label.implicitHeight + 10 + input.implicitHeight);
            verify(label.implicitHeight > 0);
            compare(input.y, 10);
            compare(control.button.width, 60);
            compare(control.button.x + 60, 300);
            compare(input.width, control.button.x - 10);
            compare(control.nameFilters, ["WAV Files (*.wav)", "All files (*)"]);
            compare(control.chooser.nameFilters, ["WAV Files (*.wav)", "All files (*)"]);
            // Until a file is chosen, the URL names the folder of the control's own file.
            verify(String(control.fileUrl).endsWith("/zarn_ui/qml/molecules/"));
        }

        function test_fileChosenPathDecoded() {
            const control = make(fileComponent);
            const url = "file:///tmp/Click%20Tracks/Ou%C3%AFe%20%231.wav";
            control.acceptFile(url);
            compare(decodeURIComponent(String(control.fileUrl)), decodeURIComponent(url));
            compare(control.value, "/tmp/Click Tracks/Ou\u00efe #1.wav");
            compare(control.textChanges, 1);
        }

        function test_fileChooserAcceptAndCancel() {
            const control = make(fileComponent);
            const thisFile = Qt.resolvedUrl("tst_labelled_controls.qml");
            mouseClick(control.button);
            verify(control.chooser.visible);
            control.chooser.selectedFile = thisFile;
            // What the dialog raises once the user has picked the file and pressed Open.
            control.chooser.accepted();
            verify(!control.chooser.visible);
            compare(String(control.fileUrl), String(thisFile));
            verify(control.value.startsWith("/"));
            verify(control.value.endsWith("/tst_labelled_controls.qml"));
            compare(control.textChanges, 1);

            const chosen = control.value;
            control.button.forceActiveFocus();
            keyClick(Qt.Key_Return);
            verify(control.chooser.visible);
            control.chooser.reject();
            verify(!control.chooser.visible);
            compare(control.value, chosen);
            compare(control.textChanges, 1);
        }

        function test_fileDisplay() {
            const display = createTemporaryObject(displayComponent, stage);
            const label = findChild(display, "label");
            compare(label.text, "MIDI files");
            const box = findChild(display, "listBox");
            compare(box.y, label.height + 5);
            compare(box.height, 120 - box.y);
            compare(box.border.width, 2);
            compare(box.color, Qt.color("#1b1b1b"));
            compare(box.border.color, Qt.color("#3c3c3c"));
            const list = findChild(display, "fileList");
            display.model = ["act1.mid", "act2.mid"];
            compare(list.count, 2);
            verify(!list.ScrollBar.vertical.visible, "two names fit: no scroll bar");
            compare(display.value, display.model);
            waitForRendering(list);
            compare(list.itemAtIndex(1).text, "act2.mid");
            compare(list.itemAtIndex(1).font.pixelSize, 14);
            // The scroll bar appears only when the names do not fit.
            verify(list.ScrollBar.vertical.policy === ScrollBar.AsNeeded);
            const many = [];
            for (let i = 0; i < 30; ++i)
                many.push("cue" + i + ".mid");
            display.value = many;
            compare(list.count, 30);
            tryVerify(() => list.ScrollBar.vertical.visible);
        }

        function test_areaTextEdited() {
            const area = createTemporaryObject(areaComponent, stage);
            area.text = "Set by the holder";
            compare(area.edits, 0, "setting text is no edit");
            area.forceActiveFocus();
            const edit = area.textElement;
            verify(edit.activeFocus);
            compare(edit.selectedText, "Set by the holder", "focus selects the whole text");
            keyClick(Qt.Key_X);
            compare(area.text, "x");
            compare(area.edits, 1);
            keyClick(Qt.Key_Y);
            compare(area.text, "xy");
            compare(area.edits, 2);
            // Cut and paste are edits too.
            edit.selectAll();
            edit.cut();
            compare(area.text, "");
            compare(area.edits, 3);
            edit.paste();
            compare(area.text, "xy");
            compare(area.edits, 4);
            area.text = "again";
            compare(area.edits, 4);
            compare(edit.text, "again");
        }

        function test_areaEditingFinishedAndNoWrap() {
            const area = createTemporaryObject(areaComponent, stage);
            area.forceActiveFocus();
            stage.forceActiveFocus();
            compare(area.finished, 1);
            area.text = "A long line that is much wider than the two hundred pixels of the area, and does not wrap";
            compare(area.textElement.lineCount, 1);
            verify(area.implicitWidth > 200);
            area.editable = false;
            verify(!area.textElement.enabled);
        }
    }
}
