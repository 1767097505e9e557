#include "AboutWindowController.h"
#include "AcknowledgementsWindowController.h"
#include "QmlModuleLoader.h"

#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using zarn::qt::AboutWindowController;
using zarn::qt::AcknowledgementsWindowController;

namespace {

template <typename T = QObject>
T* Child(QObject* object, const char* name)
{
    return object ? object->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

int LiveAcknowledgementsWindows()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int count = 0;
    for (QWindow* window : QGuiApplication::allWindows()) {
        if (window->objectName() == QStringLiteral("acknowledgementsWindow"))
            ++count;
    }
    return count;
}

} // namespace

class TestAboutWindowController : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QQmlEngine> engine_;
    std::unique_ptr<QObject> mainWindow_;
    QQuickItem* aboutItem_ = nullptr;
    QTemporaryDir dir_;

    // A main window holding the about popup as the main menu does.
    void MakeMainWindow()
    {
        QQmlComponent component(engine_.get());
        component.setData(R"(
import QtQuick
import com.lanternhillstudios.zarn_ui
Window {
    width: 1000
    height: 700
    visible: true
    property alias aboutWindow: about
    AboutWindow {
        id: about
        objectName: "about"
    }
}
)",
                          QUrl());
        mainWindow_.reset(component.create());
        QVERIFY2(mainWindow_, qPrintable(component.errorString()));
        aboutItem_ = mainWindow_->property("aboutWindow").value<QQuickItem*>();
        QVERIFY(aboutItem_);
    }

    QString WriteAcknowledgements(const QByteArray& content)
    {
        const QString path = dir_.filePath(QStringLiteral("acknowledgements.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(content);
        return path;
    }

private slots:
    void init()
    {
        engine_ = std::make_unique<QQmlEngine>();
        zarn::qt::QmlModuleLoader::PrepareEngine(*engine_);
        MakeMainWindow();
    }
    void cleanup()
    {
        mainWindow_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        engine_.reset();
    }

    void popupShowsTheProfileTexts()
    {
        AboutWindowController about(aboutItem_, engine_.get(), QStringLiteral("2.4.1"),
                                    QStringLiteral("qrc:/images/corvane_logo_light_long.png"), QStringLiteral(":/none"),
                                    QStringLiteral("build 7f3a"));
        QCOMPARE(about.GetQmlObject(), static_cast<QObject*>(aboutItem_));
        QCOMPARE(Child(aboutItem_, "versionText")->property("text").toString(), QStringLiteral("Version 2.4.1"));
        QCOMPARE(Child(aboutItem_, "versionIdentifierText")->property("text").toString(), QStringLiteral("build 7f3a"));
        QCOMPARE(Child(aboutItem_, "logo")->property("source").toUrl(),
                 QUrl(QStringLiteral("qrc:/images/corvane_logo_light_long.png")));
        QCOMPARE(Child(aboutItem_, "logo")->property("status").toInt(), 1); // Image.Ready
        const QString copyright = Child(aboutItem_, "copyrightText")->property("text").toString();
        QVERIFY(copyright.contains(QStringLiteral("Lantern Hill Studios")));
        QVERIFY(aboutItem_->property("linkUrl").toUrl().isValid());
        QCOMPARE(Child(aboutItem_, "acknowledgementsButton")->property("text").toString(), QStringLiteral("Acknowledgments"));
        QCOMPARE(Child(aboutItem_, "licenseButton")->property("text").toString(), QStringLiteral("License Agreement"));
        QCOMPARE(Child(aboutItem_, "closeButton")->property("text").toString(), QStringLiteral("Close"));
    }

    void emptyIdentifierKeepsItsLine()
    {
        AboutWindowController about(aboutItem_, engine_.get(), QStringLiteral("2.4.1"), QString(), QStringLiteral(":/none"),
                                    QString());
        auto* identifier = Child<QQuickItem>(aboutItem_, "versionIdentifierText");
        QCOMPARE(identifier->property("text").toString(), QString());
        QVERIFY(identifier->height() > 10);
    }

    void popupOpensCentredAndFollowsResizes()
    {
        AboutWindowController about(aboutItem_, engine_.get(), QStringLiteral("1.0"), QString(), QStringLiteral(":/none"),
                                    QString());
        QVERIFY(QTest::qWaitForWindowExposed(qobject_cast<QWindow*>(mainWindow_.get())));
        QMetaObject::invokeMethod(aboutItem_, "open");
        QObject* popup = Child(aboutItem_, "aboutPopup");
        QVERIFY(popup);
        QTRY_VERIFY(popup->property("opened").toBool());
        QVERIFY(popup->property("modal").toBool());
        const qreal width = popup->property("width").toReal();
        const qreal height = popup->property("height").toReal();
        QCOMPARE(width, 525.0);
        QTRY_COMPARE(popup->property("x").toReal(), (1000 - width) * 0.5);
        QCOMPARE(popup->property("y").toReal(), (700 - height) * 0.5);

        auto* window = qobject_cast<QWindow*>(mainWindow_.get());
        window->resize(1200, 900);
        QTRY_COMPARE(popup->property("x").toReal(), (1200 - width) * 0.5);
        QTRY_COMPARE(popup->property("y").toReal(), (900 - popup->property("height").toReal()) * 0.5);

        QMetaObject::invokeMethod(Child(aboutItem_, "closeButton"), "clicked");
        QTRY_VERIFY(!popup->property("visible").toBool());
    }

    void acknowledgementsShowTheFile()
    {
        const QByteArray content = "Component A\nLicence text \xc3\xa9\n----------\nComponent B\n";
        AboutWindowController about(aboutItem_, engine_.get(), QStringLiteral("1.0"), QString(),
                                    WriteAcknowledgements(content), QString());
        QVERIFY(!about.GetAcknowledgementsWindow());
        QMetaObject::invokeMethod(Child(aboutItem_, "acknowledgementsButton"), "clicked");
        AcknowledgementsWindowController* acknowledgements = about.GetAcknowledgementsWindow();
        QVERIFY(acknowledgements);
        auto* window = qobject_cast<QQuickWindow*>(acknowledgements->GetQmlObject());
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->modality(), Qt::ApplicationModal);
        QCOMPARE(window->size(), QSize(640, 480));
        QCOMPARE(window->transientParent(), qobject_cast<QWindow*>(mainWindow_.get()));
        QCOMPARE(window->property("acknowledgementText").toString(), QString::fromUtf8(content));
        QVERIFY(Child(window, "introText")->property("text").toString().startsWith(
            QStringLiteral("Lantern Hill Studios uses a variety of software components")));

        QMetaObject::invokeMethod(Child(window, "closeButton"), "clicked");
        QVERIFY(!window->isVisible());
        QCOMPARE(LiveAcknowledgementsWindows(), 1); // closed, not deleted
    }

    void twoClicksLeaveOneWindow()
    {
        AboutWindowController about(aboutItem_, engine_.get(), QStringLiteral("1.0"), QString(),
                                    WriteAcknowledgements("text"), QString());
        QMetaObject::invokeMethod(aboutItem_, "acknowledgementsClicked");
        QPointer<QObject> first = about.GetAcknowledgementsWindow()->GetQmlObject();
        QMetaObject::invokeMethod(aboutItem_, "acknowledgementsClicked");
        QCOMPARE(LiveAcknowledgementsWindows(), 1);
        QVERIFY(!first);
        QVERIFY(about.GetAcknowledgementsWindow()->GetQmlObject());
    }

    void missingResourceShowsTheErrorText()
    {
        // A build whose folder name gives a path to a resource that does not exist.
        AboutWindowController about(aboutItem_, engine_.get(), QStringLiteral("1.0"), QString(),
                                    QStringLiteral(":/qt/qml/com/lanternhillstudios/nothere2_ui/resources/text/"
                                                   "acknowledgements.txt"),
                                    QString());
        about.AcknowledgementsClicked();
        QObject* window = about.GetAcknowledgementsWindow()->GetQmlObject();
        QCOMPARE(window->property("acknowledgementText").toString(),
                 QStringLiteral("Error: Unable to Load Acknowledgements."));
    }

    // The product's own notices are compiled into its module.
    void productAcknowledgementsResourceLoads()
    {
        AcknowledgementsWindowController acknowledgements(
            aboutItem_, engine_.get(),
            QStringLiteral(":/qt/qml/com/lanternhillstudios/corvane2_ui/resources/text/acknowledgements.txt"));
        const QString text = acknowledgements.GetQmlObject()->property("acknowledgementText").toString();
        QVERIFY(!text.isEmpty());
        QVERIFY(text != QStringLiteral("Error: Unable to Load Acknowledgements."));
    }

    void destroyingTheControllersDeletesTheWindowButNotThePopup()
    {
        auto about = std::make_unique<AboutWindowController>(aboutItem_, engine_.get(), QStringLiteral("1.0"), QString(),
                                                             WriteAcknowledgements("text"), QString());
        about->AcknowledgementsClicked();
        QCOMPARE(LiveAcknowledgementsWindows(), 1);
        about.reset();
        QCOMPARE(LiveAcknowledgementsWindows(), 0);
        QVERIFY(mainWindow_->property("aboutWindow").value<QQuickItem*>());
    }
};

QTEST_MAIN(TestAboutWindowController)
#include "tst_about_window_controller.moc"
