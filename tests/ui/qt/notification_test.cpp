// The word at the end of a long batch: a fake notification service on the tests' own session bus
// (qt_test_main starts it) hears it once, and only when it is due.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QTest>
#include <QVariantMap>

#include "common/texts.h"
#include "drop.h"
#include "fake_runner.h"
#include "settings/settings.h"
#include "temp_folder.h"
#include "ui/qt/convert_dialog.h"

namespace varlo {
namespace {

class CFakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString app, icon, summary;
    };
    std::vector<Call> calls;

public slots:
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
                const QString&, const QStringList&, const QVariantMap&, int) {
        calls.push_back({app, icon, summary});
        return static_cast<uint>(calls.size());
    }
};

// Hears the dock's progress as a dock would.
class CLauncherListener : public QObject {
    Q_OBJECT

public:
    struct Update {
        QString app;
        QVariantMap properties;
    };
    std::vector<Update> updates;

public slots:
    void OnUpdate(const QString& app, const QVariantMap& properties) {
        updates.push_back({app, properties});
    }
};

class CNoChooser : public IFileChooser {
public:
    std::optional<std::string> Choose(FileDialogKind, const std::string&, QWidget*) override {
        return std::nullopt;
    }
};

// A window converting with conversions that end when the test says so.
struct Window {
    explicit Window(CProfileStore& store) : dialog(store, chooser, &runner) {
        dialog.SetArguments({"varloGui"});
        dialog.show();
        QCoreApplication::processEvents();
    }
    void Drop(const char* uriList) { test::DropUriList(dialog, uriList, dialog.rect().center()); }
    void EndAll() {
        for (std::size_t i = 0; i < runner.started.size(); ++i) {
            runner.End(i, {}, "rec\r\n");
        }
    }
    CNoChooser chooser;
    test::CFakeRunner runner;
    CConvertDialog dialog;
};

void Activate(QWidget& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

TEST(Notification, OnceAfterALongBatchThatEndedWhileTheUserWasElsewhere) {
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake"));
    ASSERT_TRUE(bus.isConnected()) << "the tests' own session bus";
    CFakeNotifications service;
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                   QDBusConnection::ExportAllSlots));

    test::CTempFolder folder;
    CProfileStore store(folder.Path() + "/profile.ini");
    WriteAutoExec(store, "varloGui", 1);
    Window away(store), here(store);
    away.Drop("file:///w/1.wav\nfile:///w/2.wav\n");
    here.Drop("file:///w/3.wav\n");
    QTest::qWait(
        static_cast<int>(std::chrono::milliseconds(CProgress::kNotifyAfter).count() + 100));
    Activate(here.dialog);
    away.EndAll();  // long, and the user is elsewhere: a word
    away.EndAll();
    here.EndAll();  // long, but the user is here: none
    away.Drop("file:///w/4.wav\n");
    away.EndAll();  // the user is elsewhere, but it was short: none

    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.calls.empty(); }, 5000));
    QTest::qWait(200);  // anything more would have come by now
    ASSERT_EQ(1u, service.calls.size());
    EXPECT_EQ(QStringLiteral("varloGui"), service.calls[0].app);
    EXPECT_EQ(QStringLiteral("varloGui"), service.calls[0].icon);
    EXPECT_EQ(QString::fromUtf8("2 個のファイルを変換しました"), service.calls[0].summary);
    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake"));
}

TEST(Notification, TheDockFollowsTheWorkAndAsksForTheUserAfterFailuresElsewhere) {
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("dock"));
    ASSERT_TRUE(bus.isConnected()) << "the tests' own session bus";
    CLauncherListener dock;
    ASSERT_TRUE(bus.connect(QString(), QString(),
                            QStringLiteral("com.canonical.Unity.LauncherEntry"),
                            QStringLiteral("Update"), &dock, SLOT(OnUpdate(QString, QVariantMap))));
    test::CTempFolder folder;
    CProfileStore store(folder.Path() + "/profile.ini");
    WriteAutoExec(store, "varloGui", 1);
    Window window(store), elsewhere(store);
    window.Drop("file:///w/1.wav\nfile:///w/2.wav\n");
    window.EndAll();
    window.EndAll();
    Activate(elsewhere.dialog);
    window.dialog.NotifyBatchEnded("1 failed", /*failures=*/true);  // as a long batch tells it
    Activate(window.dialog);

    const auto said = [&](std::size_t i, const char* key) {
        return dock.updates.at(i).properties.value(QString::fromLatin1(key));
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return dock.updates.size() >= 5; }, 5000));
    EXPECT_EQ(QStringLiteral("application://varloGui.desktop"), dock.updates[0].app);
    EXPECT_TRUE(said(0, "progress-visible").toBool());
    EXPECT_DOUBLE_EQ(0.0, said(0, "progress").toDouble());
    EXPECT_DOUBLE_EQ(0.5, said(1, "progress").toDouble()) << "one of two files not sized";
    EXPECT_FALSE(said(2, "progress-visible").toBool()) << "hidden once they ended";
    EXPECT_TRUE(said(3, "urgent").toBool());
    EXPECT_FALSE(said(4, "urgent").toBool()) << "cleared when the window is activated";
    QDBusConnection::disconnectFromBus(QStringLiteral("dock"));
}

}  // namespace
}  // namespace varlo

#include "notification_test.moc"
