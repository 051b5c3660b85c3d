// Alt+A from another X client hides and shows the main window. Runs under Xvfb; skipped
// where there is no X server.
#include "common/clock.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/platform/platform_hotkey.h"
#include "support/fake_message_presenter.h"
#include "support/fake_platform.h"
#include "support/temp_data_dir.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {

bool sendKeys(const QStringList& keys)
{
    QStringList args{QStringLiteral("key"), QStringLiteral("--clearmodifiers")};
    args += keys;
    return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}

} // namespace

class TestHotkeyX11 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void altAFromAnotherClientFlipsTheWindow();
    void keyHeldByAnotherClientIsNotClaimed();
};

void TestHotkeyX11::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        QSKIP("needs xdotool to press keys from another client");
}

void TestHotkeyX11::altAFromAnotherClientFlipsTheWindow()
{
    TempDataDir dir;
    SystemClock clock;
    FakeMessagePresenter messages;
    FakePowerControl power;
    std::unique_ptr<GlobalHotkey> hotkey = CreatePlatformHotkey();
    AppEnvironment env{dir.root(), {}, &clock, &messages, hotkey.get(), &power};
    Application app(env);
    QVERIFY(app.start());
    MainWindow* w = app.mainWindow();
    QVERIFY(app.state().HideHotkeyId != 0);
    QVERIFY(QTest::qWaitForWindowExposed(w));

    QVERIFY(sendKeys({QStringLiteral("alt+a")}));
    QTRY_VERIFY(!w->isVisible());
    QVERIFY(sendKeys({QStringLiteral("alt+a")}));
    QTRY_VERIFY(w->isVisible());

    // Still works with NumLock on.
    QVERIFY(sendKeys({QStringLiteral("Num_Lock")}));
    QVERIFY(sendKeys({QStringLiteral("alt+a")}));
    QTRY_VERIFY(!w->isVisible());
    QVERIFY(sendKeys({QStringLiteral("alt+a")}));
    QTRY_VERIFY(w->isVisible());
    QVERIFY(sendKeys({QStringLiteral("Num_Lock")}));
}

void TestHotkeyX11::keyHeldByAnotherClientIsNotClaimed()
{
    // A second connection is another client as far as the X server is concerned.
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    QVERIFY(other && !xcb_connection_has_error(other));
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display);
    const xcb_keycode_t keycode = XKeysymToKeycode(display, XK_a);
    XCloseDisplay(display);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    xcb_generic_error_t* error = xcb_request_check(
        other, xcb_grab_key_checked(other, 1, root, XCB_MOD_MASK_1, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    QVERIFY(!error);

    std::unique_ptr<GlobalHotkey> hotkey = CreatePlatformHotkey();
    QCOMPARE(hotkey->claimAltKey('A'), 0);

    xcb_disconnect(other);
    QTRY_VERIFY(hotkey->claimAltKey('A') != 0);
}

QTEST_MAIN(TestHotkeyX11)
#include "test_hotkey_x11.moc"
