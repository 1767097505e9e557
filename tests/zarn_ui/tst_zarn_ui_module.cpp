#include <QFile>
#include <QStringList>
#include <QtTest>

namespace {

const QString kRoot = QStringLiteral(":/qt/qml/com/lanternhillstudios/zarn_ui/");
const QString kPreferLine = QStringLiteral("prefer :/qt/qml/com/lanternhillstudios/zarn_ui/");

// The module's published type order; a type is listed once its document exists.
const QStringList kTypeOrder = {
    QStringLiteral("AboutWindow"), QStringLiteral("AcknowledgementsWindow"), QStringLiteral("BarAndBeatPanel"),
    QStringLiteral("BasicBevel"), QStringLiteral("BubbleButton"), QStringLiteral("BubbleButtonBar"),
    QStringLiteral("CustomBevel"), QStringLiteral("CustomCheckbox"), QStringLiteral("CustomComboBox"),
    QStringLiteral("CustomContextMenu"), QStringLiteral("CustomScrollBar"), QStringLiteral("CustomSpinBox"),
    QStringLiteral("CustomTabBar"), QStringLiteral("CustomTabButton"), QStringLiteral("CustomTextInput"),
    QStringLiteral("CustomTwoColumnListView"), QStringLiteral("EditTool"), QStringLiteral("EventIdLabel"),
    QStringLiteral("FlatButton"), QStringLiteral("FlatDialogWindow"), QStringLiteral("FlatInputWindow"),
    QStringLiteral("FlatProgressBar"), QStringLiteral("FocusHighlight"), QStringLiteral("GraphicButton"),
    QStringLiteral("HeaderLabelDrag"), QStringLiteral("MessageBox"), QStringLiteral("ModeTabButton"),
    QStringLiteral("RecessedBevel"), QStringLiteral("RecessedSpinBox"), QStringLiteral("RecessedTextInput"),
    QStringLiteral("ZarnCustomDial"), QStringLiteral("ZarnCustomMenu"), QStringLiteral("ZarnCustomMenuSeparator"),
    QStringLiteral("ZarnCustomSlider"), QStringLiteral("ZarnCustomVolumeSlider"), QStringLiteral("ZarnMenuItem"),
    QStringLiteral("ZarnTheme"), QStringLiteral("ZarnToolTip"), QStringLiteral("SfxManagerTool"),
    QStringLiteral("SfxPlayButton"), QStringLiteral("StandaloneSfxTool"), QStringLiteral("StandardEditButtons"),
    QStringLiteral("TabButtom"), QStringLiteral("VolumeIndicatorSegmented"), QStringLiteral("WaitIndicator"),
    QStringLiteral("ActiveAudioDelegate"), QStringLiteral("ActiveAudioList"), QStringLiteral("DirectoryInputControl"),
    QStringLiteral("FileDisplay"), QStringLiteral("FileInputControl"), QStringLiteral("PackageControl"),
    QStringLiteral("RecessedTextArea"), QStringLiteral("TextInputControl"), QStringLiteral("SfxPropertyTool"),
    QStringLiteral("PackagerWindow"),
};

QStringList readLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

// The control module's qmldir as the program publishes it.
class TestZarnUiModule : public QObject
{
    Q_OBJECT

private slots:
    void qmldirHeaderAndTypeOrder()
    {
        const QStringList lines = readLines(kRoot + QStringLiteral("qmldir"));
        QVERIFY(lines.size() > 6);
        const QStringList header = {
            QStringLiteral("module com.lanternhillstudios.zarn_ui"),
            QStringLiteral("linktarget zarn_uiplugin"),
            QStringLiteral("optional plugin zarn_uiplugin"),
            QStringLiteral("classname com_lanternhillstudios_zarn_uiPlugin"),
            QStringLiteral("typeinfo zarn_ui.qmltypes"),
            kPreferLine,
        };
        QCOMPARE(lines.mid(0, header.size()), header);

        int previousRank = -1;
        for (const QString& line : lines.mid(header.size())) {
            const QStringList parts = line.split(QLatin1Char(' '));
            QCOMPARE(parts.size(), 3);
            const QString& type = parts[0];
            QCOMPARE(parts[1], QStringLiteral("1.0"));
            QVERIFY2(parts[2].startsWith(QStringLiteral("qml/")) && parts[2].endsWith(QLatin1Char('/') + type + QStringLiteral(".qml")),
                     qPrintable(line));
            QVERIFY2(QFile::exists(kRoot + parts[2]), qPrintable(line));
            const int rank = kTypeOrder.indexOf(type);
            QVERIFY2(rank >= 0, qPrintable(type + QStringLiteral(" is not one of the module's types")));
            QVERIFY2(rank > previousRank, qPrintable(type + QStringLiteral(" is out of order")));
            previousRank = rank;
        }
    }

    void folderQmldirsHoldOnlyThePreferLine_data()
    {
        QTest::addColumn<QString>("folder");
        for (const char* folder : { "qml/", "qml/atoms/", "qml/molecules/", "qml/organisms/", "qml/pages/" })
            QTest::newRow(folder) << QString::fromLatin1(folder);
    }

    void folderQmldirsHoldOnlyThePreferLine()
    {
        QFETCH(QString, folder);
        QCOMPARE(readLines(kRoot + folder + QStringLiteral("qmldir")), QStringList { kPreferLine });
    }
};

QTEST_MAIN(TestZarnUiModule)
#include "tst_zarn_ui_module.moc"
