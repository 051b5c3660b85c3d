// How long the unlock button takes to check a typed password against the stored hash
// (the UI waits for it), and how long a settings read and write of pz.ini take.
#include "plans/settings_file.h"
#include "shell/unlock_password.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

template<typename F> double medianMs(int runs, F&& work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString stored = HashUnlockPassword(QStringLiteral("Secret密码1"));
    bool matched = true;
    const double check
        = medianMs(9, [&] { matched = matched && UnlockPasswordMatches(stored, QStringLiteral(" Secret密码1 ")); });
    std::printf("unlock check (%d PBKDF2-SHA256 rounds): median %.1f ms%s\n", UnlockPasswordIterations, check,
        matched ? "" : " (MISMATCH)");

    QTemporaryDir dir;
    SettingsFile settings(dir.filePath(QStringLiteral("pz.ini")));
    for (int i = 0; i < 20; ++i)
        settings.WriteSetting(
            QStringLiteral("界面"), QStringLiteral("key") + QString::number(i), QStringLiteral("value"));
    int n = 0;
    const double write = medianMs(
        201, [&] { settings.WriteSetting(QStringLiteral("Domora网"), QStringLiteral("user"), QString::number(++n)); });
    const double read = medianMs(201, [&] { settings.ReadSetting(QStringLiteral("界面"), QStringLiteral("key19")); });
    std::printf("pz.ini with 22 keys: write median %.3f ms, read median %.3f ms\n", write, read);
    return 0;
}
