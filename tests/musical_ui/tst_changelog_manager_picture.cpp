// The "Event Log Manager" opened from the main menu's "View Past Logs..." on the demo show, both
// panes filled and a server row chosen with the mouse, rendered with GL on a virtual display and
// saved in the build folder for looking at.
#include "ChangelogListModel.h"
#include "ChangelogManagerController.h"
#include "GalleryShot.h"
#include "MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

class TestChangelogManagerPicture : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowFixture> f_;
    QTemporaryDir serverRoot_;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            QSKIP("needs an X display with GL: run under xvfb-run");
        f_ = std::make_unique<MainWindowFixture>();
        QVERIFY(serverRoot_.isValid());
        std::filesystem::copy(CORVANE_DEMO_SERVER_ROOT, serverRoot_.path().toStdString(),
                              std::filesystem::copy_options::recursive);
        // Two local saves besides the installed log.
        const QByteArray installed = ReadAll(QDir(f_->showFolder).filePath(QStringLiteral("lanterns-1.0.logdata")));
        for (int minor : {1, 2}) {
            QByteArray text = installed;
            text.replace("\"version\":{\"major\":1,\"minor\":0},\"modified\":1765324800",
                         QStringLiteral("\"version\":{\"major\":1,\"minor\":%1},\"modified\":%2")
                             .arg(minor)
                             .arg(1765324800 + minor * 5400)
                             .toUtf8());
            QVERIFY(Write(QDir(f_->showFolder).filePath(QStringLiteral("lanterns-1.%1.logdata").arg(minor)), text));
        }
        f_->PointShowAt(QUrl::fromLocalFile(serverRoot_.path()).toString());
        f_->UseFakeEngine();
        f_->Create();
    }

    void cleanupTestCase() { f_.reset(); }

    void bothPanesWithAServerRowChosen()
    {
        QObject* menu = f_->WindowProperty("menu").value<QObject*>();
        QObject* action = menu->findChild<QObject*>(QStringLiteral("viewPastLogsAction"));
        QVERIFY(action && QMetaObject::invokeMethod(action, "trigger"));
        zarn::qt::ChangelogManagerController* manager = f_->controller->GetChangelogManager();
        QVERIFY(manager);
        auto* window = qobject_cast<QQuickWindow*>(manager->GetQmlObject());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(manager->GetLocalList()->rowCount(), 3);
        QCOMPARE(manager->GetServerList()->rowCount(), 2);

        auto* serverPane = window->findChild<QQuickItem*>(QStringLiteral("serverPane"));
        auto* list = serverPane->property("listView").value<QQuickItem*>();
        QQuickItem* row = nullptr;
        QTRY_VERIFY((QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, row), Q_ARG(int, 1)),
                     row));
        const QPoint centre = row->mapToScene(QPointF(row->width() / 2, row->height() / 2)).toPoint();
        QTest::mouseClick(window, Qt::LeftButton, {}, centre);
        QCOMPARE(serverPane->property("index").toInt(), 1);
        auto* highlight = list->findChild<QQuickItem*>(QStringLiteral("rowHighlight"));
        QVERIFY(highlight);
        // The highlight has glided onto the row.
        QTRY_COMPARE(highlight->y(), row->y());

        QImage image;
        GalleryShot::Grab(window, QStringLiteral(CORVANE_PICTURES_DIR "/changelog_manager.png"), image);
        if (QTest::currentTestFailed() || image.isNull())
            return;
        // The chosen row in the selection colour, the other server row on the list's background.
        const QPoint chosen = row->mapToScene(QPointF(3, 3)).toPoint();
        QCOMPARE(image.pixelColor(chosen).name(), QStringLiteral("#363636"));
        QQuickItem* other = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, other), Q_ARG(int, 0));
        QVERIFY(other);
        QVERIFY(image.pixelColor(other->mapToScene(QPointF(3, 3)).toPoint()).name() != QStringLiteral("#363636"));
        auto* button = window->findChild<QQuickItem*>(QStringLiteral("loadSelectedButton"));
        QVERIFY(button && button->property("enabled").toBool());
        const QRectF buttonRect = button->mapRectToScene(QRectF(0, 0, button->width(), button->height()));
        QVERIFY(QRectF(0, 0, window->width(), window->height()).contains(buttonRect));
    }

    // A long local list: its scroll bar beside the rows.
    void longListWithItsScrollBar()
    {
        zarn::qt::ChangelogManagerController* manager = f_->controller->GetChangelogManager();
        QVERIFY(manager);
        auto* window = qobject_cast<QQuickWindow*>(manager->GetQmlObject());
        for (std::uint16_t minor = 10; minor < 35; ++minor) {
            CL::ChangeLog log;
            log.version = cmn::ZARNVersion(1, minor);
            log.modified = 1765324800u + minor * 3600u;
            manager->GetLocalList()->Append(log);
        }
        auto* localPane = window->findChild<QQuickItem*>(QStringLiteral("localPane"));
        auto* scrollBar = localPane->property("scrollBar").value<QQuickItem*>();
        QTRY_VERIFY(scrollBar->isVisible());

        QImage image;
        GalleryShot::Grab(window, QStringLiteral(CORVANE_PICTURES_DIR "/changelog_manager_long.png"), image);
        if (QTest::currentTestFailed() || image.isNull())
            return;
        auto* handle = scrollBar->findChild<QQuickItem*>(QStringLiteral("logScrollHandle"));
        QVERIFY(handle);
        QCOMPARE(handle->width(), 6.0);
    }
};

QTEST_MAIN(TestChangelogManagerPicture)
#include "tst_changelog_manager_picture.moc"
