import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import com.lanternhillstudios.zarn_ui
import com.lanternhillstudios.musical_ui

// The score page of the main window: one page or a spread of two, zoom, "Previous" and "Next"
// and a page counter. The controller (ScoreViewController) gives it the pages, as PNG data
// URLs in page order, and the current page. Asking for a page only emits pageChanged: the page
// shown changes when the engine has got there and the controller sets currentIndex.
//
// A spread starts on an even page: page 1 stands alone on the right, then 2|3, 4|5, ...
//
// Each page box draws a second image over its page while the next page decodes, so a turn
// never shows an empty box; once the new page is ready it becomes the page shown. The pages
// after those shown are decoded ahead.
Rectangle {
    id: root

    property var imageListModel: null
    property var imageList: imageListModel
    property int currentIndex: 0
    property bool twoUpMode: false
    property string currentImage1: ""
    property string currentImage2: ""
    readonly property real baseWidth: pageArea.width / (twoUpMode ? 2 : 1)
    readonly property real baseHeight: pageArea.height

    // Reached by the tests and the benchmarks.
    readonly property alias pageArea: pageArea
    readonly property alias leftImage: leftImage
    readonly property alias leftPreload: leftPreload
    readonly property alias rightImage: rightImage
    readonly property alias rightPreload: rightPreload
    readonly property alias zoomSlider: zoomSlider
    readonly property alias pagePrompt: pagePrompt
    readonly property alias counterText: counter.text
    readonly property alias previousButton: previousButton
    readonly property alias nextButton: nextButton
    readonly property alias goToPageButton: goToPageButton
    readonly property alias pageModeButton: pageModeButton

    signal pageChanged(int value)

    function listLength() {
        return imageList ? imageList.length : 0;
    }

    function leftIndex() {
        if (!twoUpMode)
            return currentIndex;
        return currentIndex % 2 === 0 ? currentIndex - 1 : currentIndex;
    }

    function rightIndex() {
        return currentIndex + currentIndex % 2;
    }

    function entryAt(index) {
        return index >= 0 && index < listLength() ? imageList[index] : "";
    }

    // The left (or single) page at the current index, from the list as it is now.
    function updateImages() {
        const index = leftIndex();
        const length = listLength();
        if (twoUpMode && index < 0)
            currentImage1 = "";
        if (length > 0 && (index < 0 || index >= length))
            return;
        const image = length > 0 ? imageList[index] : "";
        currentImage1 = image;
        leftBox.preloadSource = image;
        leftPreload.source = image;
    }

    // Typed page numbers: a text that is not a whole number changes nothing.
    function goToTypedPage(text) {
        if (!/^\s*[+-]?\d+\s*$/.test(text))
            return;
        const n = parseInt(text, 10);
        const wanted = twoUpMode ? n - (n % 2) - 1 : n - 1;
        currentIndex = Math.max(0, Math.min(listLength() - 1, wanted));
    }

    // Starts the turn of one box: its preloader decodes the next page over the page shown, and
    // takes its place once ready. An empty next page clears the box at once.
    function turnBox(box, preloader, nextImage, show) {
        box.preloadSource = nextImage;
        preloader.source = "";
        preloader.source = nextImage;
        if (nextImage === "") {
            show("");
            preloader.visible = false;
            return;
        }
        Qt.callLater(function () {
            if (box.preloadSource !== nextImage)
                return; // a later turn took over
            if (preloader.status === Image.Ready) {
                show(nextImage);
                preloader.visible = false;
            } else {
                preloader.visible = true;
            }
        });
    }

    function showLeft(image) {
        currentImage1 = image;
    }

    function showRight(image) {
        currentImage2 = image;
    }

    onCurrentIndexChanged: {
        turnBox(leftBox, leftPreload, entryAt(leftIndex()), showLeft);
        if (!twoUpMode)
            return;
        const right = rightIndex();
        const length = listLength();
        if (right === length - 1)
            currentImage2 = imageList[right];
        turnBox(rightBox, rightPreload, entryAt(right), showRight);
    }

    onImageListChanged: {
        if (listLength() === 0)
            return;
        if (currentImage1 === "")
            currentImage1 = entryAt(leftIndex());
        if (twoUpMode && currentImage2 === "" && rightIndex() < listLength())
            currentImage2 = entryAt(rightIndex());
    }

    onTwoUpModeChanged: {
        updateImages();
        if (twoUpMode)
            currentImage2 = entryAt(rightIndex());
    }

    color: theme.default_bg_color

    ZarnTheme {
        id: theme
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 10 // the rectangle's 5 and the column's own 5
        spacing: 12

        Flickable {
            id: pageArea
            objectName: "pageArea"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true

            readonly property real zoom: zoomSlider.value
            property real previousZoom: 1.0
            // The share of its box that the left page fills; the blank sides are cut off.
            readonly property real fill: leftImage.status === Image.Ready && leftImage.width > 0
                                         ? leftImage.paintedWidth / leftImage.width : 1
            readonly property real pagesWidth: contentWidthAt(zoom)
            readonly property real trim: (1 - fill) * root.baseWidth * zoom / (root.twoUpMode ? 1 : 2)

            function contentWidthAt(z) {
                const p = root.baseWidth * z;
                return p * (root.twoUpMode ? 2 : 1) + (root.twoUpMode ? 5 : 0)
                        - 2 * (1 - fill) * p / (root.twoUpMode ? 1 : 2);
            }

            contentWidth: Math.max(pagesWidth, width)
            contentHeight: leftImage.height

            // The middle of what is seen stays in the middle. Pages narrower than the view sit
            // in its middle, so the ratio is taken over the scrolled width, never the pages'
            // alone: else a zoom from a page that fits would jump off to one side.
            onZoomChanged: {
                const ratio = (contentX + width / 2) / Math.max(1, contentWidthAt(previousZoom), width);
                const newWidth = contentWidthAt(zoom);
                let x = ratio * Math.max(newWidth, width) - width / 2;
                if (newWidth <= width)
                    x = 0;
                else
                    x = Math.max(0, Math.min(newWidth - width, x));
                contentX = x;
                previousZoom = zoom;
            }

            ScrollBar.vertical: ScrollBar {}
            ScrollBar.horizontal: ScrollBar {}

            // The pages after those shown, decoded ahead while the music plays towards them:
            // a turn forward then only has to draw. Never drawn themselves. The fill mode is
            // part of what the image cache keys on: it must be the pages' own.
            Image {
                id: aheadLeft
                visible: false
                fillMode: Image.PreserveAspectFit
                asynchronous: true
                cache: true
                source: root.entryAt(root.leftIndex() + (root.twoUpMode ? 2 : 1))
            }
            Image {
                id: aheadRight
                visible: false
                fillMode: Image.PreserveAspectFit
                asynchronous: true
                cache: true
                source: root.twoUpMode ? root.entryAt(root.rightIndex() + 2) : ""
            }

            Row {
                id: pages
                spacing: 5
                x: Math.max(0, (pageArea.width - pageArea.pagesWidth) / 2) - pageArea.trim

                Item {
                    id: leftBox
                    property string preloadSource: ""
                    width: root.baseWidth * pageArea.zoom
                    height: root.baseHeight
                    anchors.verticalCenter: parent.verticalCenter

                    Image {
                        id: leftImage
                        objectName: "leftImage"
                        width: root.baseWidth * pageArea.zoom
                        height: root.baseHeight * pageArea.zoom
                        source: root.currentImage1
                        fillMode: Image.PreserveAspectFit
                        horizontalAlignment: root.twoUpMode ? Image.AlignRight : Image.AlignHCenter
                        smooth: true
                        mipmap: true
                        asynchronous: true
                        cache: true
                    }

                    Image {
                        id: leftPreload
                        objectName: "leftPreload"
                        anchors.fill: leftImage
                        visible: false
                        fillMode: Image.PreserveAspectFit
                        horizontalAlignment: leftImage.horizontalAlignment
                        smooth: true
                        mipmap: true
                        asynchronous: true
                        cache: true
                        onStatusChanged: {
                            if (status === Image.Ready && source.toString() === leftBox.preloadSource) {
                                root.currentImage1 = leftBox.preloadSource;
                                visible = false;
                            }
                        }
                    }

                    Component.onCompleted: root.currentImage1 = root.entryAt(root.leftIndex())
                }

                Item {
                    id: rightBox
                    property string preloadSource: ""
                    visible: root.twoUpMode
                    width: visible ? root.baseWidth * pageArea.zoom : 0
                    height: pageArea.height

                    Image {
                        id: rightImage
                        objectName: "rightImage"
                        width: root.baseWidth * pageArea.zoom
                        height: root.baseHeight * pageArea.zoom
                        source: root.currentImage2
                        fillMode: Image.PreserveAspectFit
                        horizontalAlignment: Image.AlignLeft
                        smooth: true
                        mipmap: true
                        asynchronous: true
                        cache: true
                    }

                    Image {
                        id: rightPreload
                        objectName: "rightPreload"
                        anchors.fill: rightImage
                        visible: false
                        fillMode: Image.PreserveAspectFit
                        horizontalAlignment: Image.AlignLeft
                        smooth: true
                        mipmap: true
                        asynchronous: true
                        cache: true
                        onStatusChanged: {
                            if (status === Image.Ready && source.toString() === rightBox.preloadSource) {
                                root.currentImage2 = rightBox.preloadSource;
                                visible = false;
                            }
                        }
                    }

                    Component.onCompleted: root.currentImage2 = root.twoUpMode ? root.entryAt(root.rightIndex()) : ""
                }
            }
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 10

            FlatButton {
                id: previousButton
                objectName: "scorePreviousButton"
                text: qsTr("Previous")
                onClicked: root.pageChanged(Math.max(0, root.currentIndex - (root.twoUpMode ? 2 : 1)) + 1)
            }

            FlatButton {
                id: nextButton
                objectName: "scoreNextButton"
                text: qsTr("Next")
                onClicked: {
                    if (!root.imageList)
                        return;
                    root.pageChanged(Math.min(root.listLength() - 1, root.currentIndex + (root.twoUpMode ? 2 : 1)) + 1);
                }
            }

            FlatButton {
                id: goToPageButton
                objectName: "scoreGoToPageButton"
                text: qsTr("Go to Page")
                visible: false
                onClicked: pagePrompt.open()
            }

            FlatButton {
                id: pageModeButton
                objectName: "scorePageModeButton"
                Layout.alignment: Qt.AlignTop | Qt.AlignRight
                text: root.twoUpMode ? qsTr("Single Page") : qsTr("Double Page")
                onClicked: root.twoUpMode = !root.twoUpMode
            }

            ZarnCustomSlider {
                id: zoomSlider
                objectName: "scoreZoomSlider"
                Layout.preferredWidth: 200
                from: 1.0
                to: 3.0
                value: 1.0
                stepSize: 0.01
                zeroMark: 1
                snapTolerance: 0
            }
        }

        Text {
            id: counter
            objectName: "pageCounter"
            Layout.alignment: Qt.AlignHCenter
            color: "white"
            font: theme.default_font
            text: root.imageList ? qsTr("Page ") + (root.currentIndex + 1) + qsTr(" of ") + root.listLength()
                                 : qsTr("No Score")
        }
    }

    JumpToBar {
        id: pagePrompt
        objectName: "pagePrompt"
        promptText: qsTr("Enter Page")
        onOk: root.goToTypedPage(pagePrompt.barNum)
        // Names of its own, so that the main window's jump prompt keeps its names to itself.
        Component.onCompleted: {
            popup.objectName = "pagePopup";
            field.objectName = "pageField";
            okButton.objectName = "pageOkButton";
            cancelButton.objectName = "pageCancelButton";
        }
    }
}
