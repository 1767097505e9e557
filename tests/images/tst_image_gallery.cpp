#include <QtTest>

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>

#include <memory>
#include <set>

namespace {

// Every image the screens and the edition profile load. A name missing here or in the
// bundle shows up as an empty picture on screen, which nothing else would catch.
const QStringList kExpectedImages = {
    // product
    "corvane.png", "corvane_logo_light_long.png", "splash.png", "zarn_flat_logo.png",
    // transport bar
    "previous.svg", "next.svg", "stop2.svg", "play.svg", "pause.svg", "exit-vamp.svg", "fade.svg",
    "arrow_drop_down.svg",
    // edit bar
    "edit_caesura.svg", "edit_click.svg", "cut.svg", "edit_marker.svg", "edit_repeat.svg", "edit_skip.svg",
    "edit_tempo.svg", "edit_transpose.png", "edit_vamp.svg", "lan.svg", "edit_edit.svg", "edit_delete.svg",
    "save.svg", "share.svg",
    // event kinds (event list and timeline)
    "caesura.svg", "click_event.svg", "fermata_event.svg", "repeat_event.svg", "tempo_event.svg",
    "vamp_event.svg", "transpose_event.svg", "sfx.svg", "ambient_audio_event.svg",
    // panel tabs, song states, menu, pins
    "single_note.svg", "marker.svg", "mixer.svg", "list.svg", "x.svg", "down.svg", "check.svg",
    "responsive_menu.svg", "keep.svg", "keep_off.svg",
    // message boxes
    "error_icon.svg", "warning_icon.svg", "info_icon.svg",
    // click values
    "notehead-1.svg", "notehead-2.svg", "notehead-3.svg", "notehead-4.svg", "notehead-6.svg",
    "notehead-7.svg", "notehead-8.svg", "notehead-12.svg", "notehead-14.svg", "notehead-16.svg",
    "notehead-24.svg", "notehead-28.svg", "notehead-30.svg", "notehead-31.svg", "notehead-32.svg",
};

// Names used without their extension, and the file each stands for.
const QList<QPair<QString, QString>> kAliases = {
    {"corvane", "corvane.png"},
    {"corvane_logo_light_long", "corvane_logo_light_long.png"},
    {"responsive_menu", "responsive_menu.svg"},
};

const QString kAcknowledgements =
    QStringLiteral(":/qt/qml/com/lanternhillstudios/corvane2_ui/resources/text/acknowledgements.txt");

QStringList bundledImages()
{
    QStringList names;
    QDirIterator it(QStringLiteral(":/images"), QDir::Files);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    names.sort();
    return names;
}

QImage load(const QString& path, QString* error)
{
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull())
        *error = reader.errorString();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// A picture counts as blank when nothing of it would show: every pixel fully transparent,
// or every pixel the same colour.
bool isBlank(const QImage& image)
{
    const QRgb first = image.pixel(0, 0);
    bool anyVisible = false;
    bool varied = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            anyVisible = anyVisible || qAlpha(p) != 0;
            varied = varied || p != first;
            if (anyVisible && varied)
                return false;
        }
    }
    return true;
}

} // namespace

class TestImageGallery : public QObject
{
    Q_OBJECT

private slots:
    void bundleHoldsExactlyTheExpectedImages()
    {
        const QStringList bundled = bundledImages();
        const std::set<QString> have(bundled.begin(), bundled.end());
        std::set<QString> want(kExpectedImages.begin(), kExpectedImages.end());
        for (const auto& alias : kAliases)
            want.insert(alias.first);

        QStringList missing, unexpected;
        for (const QString& name : want)
            if (!have.count(name))
                missing << name;
        for (const QString& name : have)
            if (!want.count(name))
                unexpected << name;
        QVERIFY2(missing.isEmpty(), qPrintable("missing from :/images/: " + missing.join(", ")));
        QVERIFY2(unexpected.isEmpty(), qPrintable("not in the expected list: " + unexpected.join(", ")));
    }

    void imageLoadsAndShowsSomething_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& name : bundledImages())
            QTest::newRow(qPrintable(name)) << ":/images/" + name;
    }

    void imageLoadsAndShowsSomething()
    {
        QFETCH(QString, path);
        QString error;
        const QImage image = load(path, &error);
        QVERIFY2(!image.isNull(), qPrintable(path + ": " + error));
        QVERIFY2(!isBlank(image), qPrintable(path + " is blank"));

        // The icons are painted at 18 to 25 pixels; render them there too, so a shape that
        // only exists at its natural size (hairlines, tiny detail) is caught as well.
        if (path.endsWith(".svg")) {
            QImageReader small(path);
            small.setScaledSize(QSize(20, 20));
            const QImage scaled = small.read().convertToFormat(QImage::Format_ARGB32);
            QVERIFY2(!scaled.isNull(), qPrintable(path + " at 20 px: " + small.errorString()));
            QVERIFY2(!isBlank(scaled), qPrintable(path + " is blank at 20 px"));
        }
    }

    void aliasWithoutExtensionShowsTheSameImage_data()
    {
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("file");
        for (const auto& alias : kAliases)
            QTest::newRow(qPrintable(alias.first)) << ":/images/" + alias.first << ":/images/" + alias.second;
    }

    void aliasWithoutExtensionShowsTheSameImage()
    {
        QFETCH(QString, alias);
        QFETCH(QString, file);
        QVERIFY2(QFile::exists(alias), qPrintable(alias + " is not registered"));
        QString error;
        const QImage viaAlias = load(alias, &error);
        QVERIFY2(!viaAlias.isNull(), qPrintable(alias + ": " + error));
        QCOMPARE(viaAlias, load(file, &error));

        // and as the screens name it: a QML Image with the "qrc:" URL
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQuick\nImage { source: \"qrc" + alias.toUtf8() + "\" }", QUrl());
        std::unique_ptr<QObject> item(component.create());
        QVERIFY2(item, qPrintable(component.errorString()));
        QTRY_COMPARE(item->property("status").toInt(), 1); // Image.Ready
        QVERIFY(item->property("sourceSize").toSize().isValid());
    }

    void acknowledgementsNameEveryComponent_data()
    {
        QTest::addColumn<QString>("component");
        for (const char* name : {"Qt", "RapidJSON", "ordered-map", "libarchive", "Nettle", "RtMidi", "ALSA",
                                 "GStreamer", "Liberation"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void acknowledgementsNameEveryComponent()
    {
        QFETCH(QString, component);
        QFile file(kAcknowledgements);
        QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(file.errorString()));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(!text.trimmed().isEmpty());
        QVERIFY2(text.contains(component, Qt::CaseInsensitive), qPrintable(component + " is not acknowledged"));
    }

    // Not a check: a sheet of every image on the screens' background, to look at by eye.
    void writeContactSheet()
    {
        const QStringList names = bundledImages();
        constexpr int cell = 120, icon = 64, columns = 8;
        const int rows = (names.size() + columns - 1) / columns;
        QImage sheet(columns * cell, rows * cell, QImage::Format_ARGB32);
        sheet.fill(QColor("#202020"));
        QPainter painter(&sheet);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QFont font = painter.font();
        font.setPixelSize(10);
        painter.setFont(font);
        for (int i = 0; i < names.size(); ++i) {
            const QRect box((i % columns) * cell, (i / columns) * cell, cell, cell);
            painter.setPen(QColor("#3c3c3c"));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
            QImageReader reader(":/images/" + names[i]);
            QSize size = reader.size().isValid() ? reader.size() : QSize(icon, icon);
            size.scale(QSize(icon + 30, icon), Qt::KeepAspectRatio);
            reader.setScaledSize(size);
            const QImage image = reader.read();
            painter.drawImage(box.center().x() - size.width() / 2, box.top() + 12, image);
            // and once more at the size the screens use for most icons
            QImageReader small(":/images/" + names[i]);
            QSize smallSize = size.scaled(QSize(20, 20), Qt::KeepAspectRatio);
            small.setScaledSize(smallSize);
            painter.drawImage(box.right() - 24, box.top() + 4, small.read());
            painter.setPen(QColor("#a4a4a4"));
            const QString label = painter.fontMetrics().elidedText(names[i], Qt::ElideMiddle, cell - 6);
            painter.drawText(box.adjusted(2, 0, -2, -6), Qt::AlignHCenter | Qt::AlignBottom, label);
        }
        painter.end();
        QVERIFY(sheet.save(QStringLiteral(CORVANE_GALLERY_SHEET)));
        qInfo("contact sheet: %s", CORVANE_GALLERY_SHEET);
    }
};

QTEST_MAIN(TestImageGallery)
#include "tst_image_gallery.moc"
