// Entry point of every deliverable; they differ only in the hosts compiled in.
#include "common/clock.h"
#include "shell/application.h"
#include "shell/dialog_message_presenter.h"
#include "shell/platform/platform_hotkey.h"
#include "shell/platform/system_power_control.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStyleFactory>


namespace {

// A font that has the Chinese glyphs, whatever the desktop's default is.
void useChineseFont(QApplication& app)
{
    const QStringList preferred = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                                   QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")};
    const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : preferred) {
        if (families.contains(family)) {
            QFont font(family);
            font.setPointSize(9);
            app.setFont(font);
            return;
        }
    }
}

} // namespace

int main(int, char** argv)
{
    // The embedded browser wants shared GL contexts, set before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The command line changes nothing: Qt does not get to read its options either.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QStringLiteral(TAVREL_PROGRAM_NAME));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    useChineseFont(app);
    // The window is closed only after the user confirmed; that ends the program even
    // while the lock window or a hidden window is still around.
    QApplication::setQuitOnLastWindowClosed(false);

    SystemClock clock;
    DialogMessagePresenter messages;
    std::unique_ptr<GlobalHotkey> hotkey = CreatePlatformHotkey();
    std::unique_ptr<PowerControl> power = CreateSystemPowerControl();

    AppEnvironment env;
    env.programDir = QCoreApplication::applicationDirPath();
    env.hosts = PortalHosts{QStringLiteral(TAVREL_AGENT_HOST), QStringLiteral(TAVREL_LEGACY_AGENT_HOST),
                            QStringLiteral(TAVREL_PUBLIC_AGENT_HOST)};
    env.clock = &clock;
    env.messages = &messages;
    env.hotkey = hotkey.get();
    env.power = power.get();

    Application tavrel(env);
    QObject::connect(&tavrel, &Application::finished, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    if (!tavrel.start())
        return 1;
    return app.exec();
}
