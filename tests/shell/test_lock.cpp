#include "http/http_client.h"
#include "plans/plan_store.h"
#include "plans/refresh_plan.h"
#include "plans/settings_file.h"
#include "portal_simulator.h"
#include "shell/interface_lock.h"
#include "shell/lock_window.h"
#include "shell/main_window.h"
#include "shell/new_password_dialog.h"
#include "shell/unlock_password.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkCookie>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Fewer rounds than the program uses, so the tables run quickly; the rounds travel
// with the stored value.
constexpr int TestIterations = 1000;

const QString Password = QStringLiteral("Secret密码1");

// Runs `answer` on the modal dialog that the next action opens.
void answerNextDialog(std::function<void(NewPasswordDialog*)> answer)
{
    QTimer::singleShot(0, qApp, [answer] {
        auto* dialog = qobject_cast<NewPasswordDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(dialog);
    });
}

void typePasswordTwice(NewPasswordDialog* dialog, const QString& first, const QString& second)
{
    dialog->findChild<QLineEdit*>(QStringLiteral("编辑框新密码"))->setText(first);
    dialog->findChild<QLineEdit*>(QStringLiteral("编辑框确认密码"))->setText(second);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("按钮确定")), Qt::LeftButton);
}

void cancel(NewPasswordDialog* dialog)
{
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("按钮取消")), Qt::LeftButton);
}

void finishDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestLock : public QObject
{
    Q_OBJECT

private slots:
    void entryAgainstStoredPassword_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("unlocks");
        QTest::newRow("exact") << Password << true;
        QTest::newRow("spaces around") << (QStringLiteral("  ") + Password + QStringLiteral(" ")) << true;
        QTest::newRow("full-width spaces around")
            << (QStringLiteral("\u3000") + Password + QStringLiteral("\u3000\u3000")) << true;
        QTest::newRow("tab before") << (QStringLiteral("\t") + Password) << false;
        QTest::newRow("tab after") << (Password + QStringLiteral("\t")) << false;
        QTest::newRow("case differs") << QStringLiteral("secret密码1") << false;
        QTest::newRow("inner space") << QStringLiteral("Secret 密码1") << false;
        QTest::newRow("prefix only") << QStringLiteral("Secret") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("spaces only") << QStringLiteral("   ") << false;
    }

    void entryAgainstStoredPassword()
    {
        QFETCH(QString, entry);
        QFETCH(bool, unlocks);
        static const QString stored = HashUnlockPassword(Password, TestIterations);
        QCOMPARE(UnlockPasswordMatches(stored, entry), unlocks);
    }

    void emptyStoredPassword_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("unlocks");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("spaces only") << QStringLiteral(" \u3000 ") << true;
        QTest::newRow("tab") << QStringLiteral("\t") << false;
        QTest::newRow("text") << QStringLiteral("x") << false;
    }

    void emptyStoredPassword()
    {
        QFETCH(QString, entry);
        QFETCH(bool, unlocks);
        QCOMPARE(UnlockPasswordMatches(QString(), entry), unlocks);
    }

    void storedValueIsNotThePassword()
    {
        const QString first = HashUnlockPassword(Password);
        QVERIFY(IsUnlockPasswordHash(first));
        QVERIFY(!first.contains(QStringLiteral("Secret")));
        QVERIFY(first.startsWith(QStringLiteral("pbkdf2-sha256$100000$")));
        // A fresh salt each time: equal passwords do not give equal values.
        QVERIFY(HashUnlockPassword(Password) != first);
        QVERIFY(UnlockPasswordMatches(first, Password));
    }

    // A hand-edited value that is not a hash never unlocks, the password in plain text
    // included.
    void unreadableStoredValue_data()
    {
        QTest::addColumn<QString>("stored");
        const QString good = HashUnlockPassword(Password, TestIterations);
        QTest::newRow("plain password") << Password;
        QTest::newRow("other scheme") << QString(good).replace(QStringLiteral("sha256"), QStringLiteral("sha1"));
        QTest::newRow("no rounds") << QString(good).replace(QStringLiteral("$1000$"), QStringLiteral("$0$"));
        QTest::newRow("huge rounds") << QString(good).replace(QStringLiteral("$1000$"), QStringLiteral("$2000000000$"));
        QTest::newRow("cut hash") << good.left(good.size() - 8);
        QTest::newRow("bad base64") << QString(good).replace(good.lastIndexOf(u'$') + 1, 2, QStringLiteral("!!"));
    }

    void unreadableStoredValue()
    {
        QFETCH(QString, stored);
        QVERIFY(!IsUnlockPasswordHash(stored));
        QVERIFY(!UnlockPasswordMatches(stored, Password));
    }

    void lockWindowLayout()
    {
        FakeMessagePresenter messages;
        QWidget owner;
        LockWindow window(QString(), messages, &owner);
        QCOMPARE(window.windowTitle(), QStringLiteral("锁定界面"));
        QCOMPARE(window.size(), QSize(285, 63));
        QVERIFY(window.isWindow());
        QCOMPARE(window.parentWidget(), &owner);
        auto* label = window.findChild<QLabel*>(QStringLiteral("标签1"));
        auto* entry = window.findChild<QLineEdit*>(QStringLiteral("编辑框1"));
        auto* button = window.findChild<QPushButton*>(QStringLiteral("按钮1"));
        QVERIFY(label && entry && button);
        QCOMPARE(label->text(), QStringLiteral("账号密码"));
        QCOMPARE(label->geometry(), QRect(4, 6, 60, 18));
        QCOMPARE(entry->geometry(), QRect(70, 3, 126, 24));
        QCOMPARE(entry->echoMode(), QLineEdit::Password);
        QVERIFY(entry->text().isEmpty());
        QCOMPARE(button->text(), QStringLiteral("解除锁定"));
        QCOMPARE(button->geometry(), QRect(205, 1, 60, 28));
    }

    // The first lock asks for a password, keeps only its hash in pz.ini, and the
    // lock then takes that password.
    void firstLockAsksForPassword()
    {
        AppFixture fixture;
        QVERIFY(fixture.app->start());
        MainWindow* window = fixture.app->mainWindow();
        answerNextDialog([](NewPasswordDialog* dialog) {
            typePasswordTwice(dialog, QStringLiteral(" ") + Password, Password + QStringLiteral("\u3000"));
        });
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮锁定界面")), Qt::LeftButton);

        const QString stored
            = SettingsFile(fixture.dir.settingsPath()).ReadSetting(QStringLiteral("界面"), QStringLiteral("锁定密码"));
        QVERIFY(IsUnlockPasswordHash(stored));
        QVERIFY(!stored.contains(Password));
        QCOMPARE(fixture.app->state().UnlockPassword, stored);
        QVERIFY(fixture.messages.messages.isEmpty());

        InterfaceLock* lock = fixture.app->interfaceLock();
        QVERIFY(lock->isLocked());
        QVERIFY(!window->isVisible());
        QPointer<LockWindow> lockWindow = lock->lockWindow();
        QVERIFY(lockWindow->isVisible());
        QVERIFY(!lockWindow->isModal());

        lockWindow->findChild<QLineEdit*>(QStringLiteral("编辑框1"))->setText(Password);
        QTest::mouseClick(lockWindow->findChild<QPushButton*>(QStringLiteral("按钮1")), Qt::LeftButton);
        QVERIFY(!lock->isLocked());
        QVERIFY(window->isVisible());
        finishDeletes();
        QVERIFY(lockWindow.isNull());

        // Set once: the next lock goes straight to the password window.
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮锁定界面")), Qt::LeftButton);
        QVERIFY(lock->isLocked());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void newPasswordRules_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << QString() << QStringLiteral("密码不能为空");
        QTest::newRow("spaces only") << QStringLiteral("  ") << QStringLiteral("  ") << QStringLiteral("密码不能为空");
        QTest::newRow("typed differently")
            << QStringLiteral("abc") << QStringLiteral("abd") << QStringLiteral("两次输入的密码不一致");
        QTest::newRow("case differs") << QStringLiteral("abc") << QStringLiteral("ABC")
                                      << QStringLiteral("两次输入的密码不一致");
        QTest::newRow("cancelled") << QString() << QString() << QString();
    }

    // A refused or cancelled password leaves the program unlocked and pz.ini untouched.
    void newPasswordRules()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, message);
        AppFixture fixture;
        QVERIFY(fixture.app->start());
        MainWindow* window = fixture.app->mainWindow();
        bool stillOpen = false;
        answerNextDialog([&](NewPasswordDialog* dialog) {
            if (!message.isEmpty()) {
                typePasswordTwice(dialog, first, second);
                stillOpen = dialog->isVisible();
            }
            cancel(dialog);
        });
        QTest::mouseClick(window->lockButton(), Qt::LeftButton);
        QCOMPARE(fixture.messages.messages, message.isEmpty() ? QStringList() : QStringList { message });
        QCOMPARE(stillOpen, !message.isEmpty());
        QVERIFY(!fixture.app->interfaceLock()->isLocked());
        QVERIFY(window->isVisible());
        QVERIFY(fixture.app->state().UnlockPassword.isEmpty());
        QVERIFY(!QFile::exists(fixture.dir.settingsPath()));
    }

    // A password kept by an earlier run is read at start: no question, and a wrong
    // entry is refused with the entry kept and the window still there.
    void storedPasswordFromEarlierRun()
    {
        AppFixture fixture;
        SettingsFile(fixture.dir.settingsPath())
            .WriteSetting(
                QStringLiteral("界面"), QStringLiteral("锁定密码"), HashUnlockPassword(Password, TestIterations));
        QVERIFY(fixture.app->start());
        MainWindow* window = fixture.app->mainWindow();
        InterfaceLock* lock = fixture.app->interfaceLock();
        window->lockButton()->click();
        QVERIFY(lock->isLocked());
        LockWindow* lockWindow = lock->lockWindow();
        auto* entry = lockWindow->passwordEntry();

        QTest::keyClicks(entry, QStringLiteral("secret"));
        QTest::mouseClick(lockWindow->unlockButton(), Qt::LeftButton);
        QCOMPARE(fixture.messages.messages, QStringList { QStringLiteral("密码错误") });
        QCOMPARE(entry->text(), QStringLiteral("secret"));
        QVERIFY(lock->isLocked());
        QVERIFY(lockWindow->isVisible());
        QVERIFY(!window->isVisible());

        // The close box is refused.
        QVERIFY(!lockWindow->close());
        QVERIFY(lockWindow->isVisible());

        entry->setText(Password);
        QTest::keyClick(entry, Qt::Key_Return);
        QVERIFY(!lock->isLocked());
        QVERIFY(window->isVisible());
        QCOMPARE(fixture.messages.messages.size(), 1);
    }

    // While locked the hot key hides and shows the password window only.
    void hotkeyFlipsLockWindowWhileLocked()
    {
        AppFixture fixture;
        SettingsFile(fixture.dir.settingsPath())
            .WriteSetting(
                QStringLiteral("界面"), QStringLiteral("锁定密码"), HashUnlockPassword(Password, TestIterations));
        QVERIFY(fixture.app->start());
        MainWindow* window = fixture.app->mainWindow();
        const int id = fixture.app->state().HideHotkeyId;
        QVERIFY(id != 0);
        window->lockButton()->click();
        LockWindow* lockWindow = fixture.app->interfaceLock()->lockWindow();

        fixture.hotkey.press(id);
        QVERIFY(!lockWindow->isVisible());
        QVERIFY(!window->isVisible());
        fixture.hotkey.press(id);
        QVERIFY(lockWindow->isVisible());
        QVERIFY(!window->isVisible());

        lockWindow->passwordEntry()->setText(Password);
        lockWindow->unlockButton()->click();
        finishDeletes();
        fixture.hotkey.press(id);
        QVERIFY(!window->isVisible());
        fixture.hotkey.press(id);
        QVERIFY(window->isVisible());
    }

    // Locking hides the window and nothing more: a refresh run started before the lock
    // goes on, and what it logs while locked is in the log when the window is back.
    void runLoopGoesOnWhileLocked()
    {
        PortalSimulator sim;
        const PortalAccount account = PortalSimulator::demoAccount();
        QVERIFY(!account.saleIds.isEmpty());
        sim.setAccounts({ account });
        QVERIFY(sim.start());
        AppFixture fixture(true, PortalHosts { sim.hostPort(), sim.hostPort(), sim.hostPort() });
        SettingsFile(fixture.dir.settingsPath())
            .WriteSetting(
                QStringLiteral("界面"), QStringLiteral("锁定密码"), HashUnlockPassword(Password, TestIterations));
        const QDateTime start(QDate(2026, 12, 11), QTime(8, 0, 0));
        fixture.clock.set(start);
        QVERIFY(fixture.app->start());
        MainWindow* window = fixture.app->mainWindow();
        InterfaceLock* lock = fixture.app->interfaceLock();

        fixture.app->state().AgentId = account.agentId;
        fixture.app->http().cookieJar().setCookiesFromUrl(
            QNetworkCookie::parseCookies(sim.signInCookie(account.user).toUtf8()),
            QUrl(sim.baseUrl() + QStringLiteral("/")));
        RefreshPlan plan;
        plan.nick = QStringLiteral("早班");
        plan.id = account.saleIds.first();
        plan.times = QStringLiteral("08:00,08:01");
        plan.sort = QStringLiteral("1");
        plan.sort1 = QStringLiteral("1");
        QVERIFY(fixture.app->store().ReplacePlan(plan));
        window->FillPlanList();

        QString logAtLock;
        bool lockedAtStop = false;
        fixture.clock.setOnWait([&] {
            if (logAtLock.isNull()) {
                window->lockButton()->click();
                QVERIFY(lock->isLocked());
                logAtLock = window->logText();
            }
            if (fixture.clock.now() >= start.addSecs(75) && fixture.app->state().RunFlag != 0) {
                lockedAtStop = lock->isLocked() && !window->isVisible();
                window->stopButton()->click();
            }
        });
        window->startButton()->click();
        fixture.clock.setOnWait({});

        QVERIFY(lockedAtStop);
        int refreshes = 0;
        const QList<PortalRequest> requests = sim.requests();
        for (const PortalRequest& request : requests)
            refreshes += request.path.contains(QStringLiteral("HouseListAction"), Qt::CaseInsensitive) ? 1 : 0;
        QCOMPARE(refreshes, 2);
        const QString logAfter = window->logText();
        QVERIFY(logAfter.startsWith(logAtLock));
        QVERIFY(logAfter.mid(logAtLock.size()).contains(QStringLiteral("08:01:")));

        LockWindow* lockWindow = lock->lockWindow();
        lockWindow->passwordEntry()->setText(Password);
        lockWindow->unlockButton()->click();
        QVERIFY(window->isVisible());
        QCOMPARE(window->logText(), logAfter);
    }
};

QTEST_MAIN(TestLock)
#include "test_lock.moc"
