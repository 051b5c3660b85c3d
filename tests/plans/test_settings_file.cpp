#include "common/gbk.h"
#include "plans/settings_file.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("pz.ini"));
    }

    // Files as another program (or a person with an editor) left them; the text is
    // stored in GBK.
    void readsFilesWrittenElsewhere_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QString twoSections
            = QStringLiteral("[Other]\r\nuser=someone\r\n\r\n[domora网]\r\nUSER=agent7\r\nPass=密码ab\r\n");
        QTest::newRow("odd case of section and key")
            << twoSections << QStringLiteral("Domora网") << QStringLiteral("user") << QStringLiteral("agent7");
        QTest::newRow("GBK password") << twoSections << QStringLiteral("Domora网") << QStringLiteral("pass")
                                      << QStringLiteral("密码ab");
        QTest::newRow("same key in another section")
            << twoSections << QStringLiteral("Other") << QStringLiteral("USER") << QStringLiteral("someone");
        QTest::newRow("missing key") << twoSections << QStringLiteral("Domora网") << QStringLiteral("nick")
                                     << QString();
        QTest::newRow("missing section") << twoSections << QStringLiteral("界面") << QStringLiteral("user")
                                         << QString();
        QTest::newRow("blanks around key and value")
            << QStringLiteral("[界面]\r\n  编辑框时1 =  8 \t\r\n") << QStringLiteral("界面")
            << QStringLiteral("编辑框时1") << QStringLiteral("8");
        QTest::newRow("blanks inside the brackets")
            << QStringLiteral("[ 界面 ]\r\n编辑框时1=8\r\n") << QStringLiteral("界面") << QStringLiteral("编辑框时1")
            << QStringLiteral("8");
        QTest::newRow("inner blanks stay") << QStringLiteral("[a]\r\nk= x  y \r\n") << QStringLiteral("a")
                                           << QStringLiteral("k") << QStringLiteral("x  y");
        QTest::newRow("LF lines, no trailing line break") << QStringLiteral("[a]\nk=1\n[b]\nk=2") << QStringLiteral("b")
                                                          << QStringLiteral("k") << QStringLiteral("2");
        QTest::newRow("empty value") << QStringLiteral("[a]\r\nk=\r\n") << QStringLiteral("a") << QStringLiteral("k")
                                     << QString();
        QTest::newRow("equals sign inside the value") << QStringLiteral("[a]\r\nk=x=y\r\n") << QStringLiteral("a")
                                                      << QStringLiteral("k") << QStringLiteral("x=y");
        QTest::newRow("quotes kept") << QStringLiteral("[a]\r\nk=\"q\"\r\n") << QStringLiteral("a")
                                     << QStringLiteral("k") << QStringLiteral("\"q\"");
        QTest::newRow("lines before the first section belong to none")
            << QStringLiteral("k=0\r\n[a]\r\nj=1\r\n") << QStringLiteral("a") << QStringLiteral("k") << QString();
        QTest::newRow("key of the next section not taken")
            << QStringLiteral("[a]\r\n[b]\r\nk=2\r\n") << QStringLiteral("a") << QStringLiteral("k") << QString();
        QTest::newRow("first of repeated keys") << QStringLiteral("[a]\r\nk=1\r\nK=2\r\n") << QStringLiteral("a")
                                                << QStringLiteral("k") << QStringLiteral("1");
    }

    void readsFilesWrittenElsewhere()
    {
        QFETCH(QString, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeBytes(m_path, ToGbk(file));
        QCOMPARE(SettingsFile(m_path).ReadSetting(section, key), expected);
    }

    void missingFileOrFolderReadsEmpty()
    {
        QCOMPARE(SettingsFile(m_path).ReadSetting(QStringLiteral("界面"), QStringLiteral("编辑框时1")), QString());
        const QString noFolder = m_dir->filePath(QStringLiteral("data/pz.ini"));
        QCOMPARE(SettingsFile(noFolder).ReadSetting(QStringLiteral("a"), QStringLiteral("k")), QString());
    }

    // At most 10,239 GBK bytes come back, and a double-byte character is never split.
    void longValueIsCut_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const QString ascii(20000, u'a');
        QTest::newRow("ASCII") << ascii << ascii.left(10239);
        const QString han(6000, QChar(0x6C49));
        QTest::newRow("fits exactly") << (QStringLiteral("a") + han) << (QStringLiteral("a") + han.left(5119));
        QTest::newRow("would split a character")
            << (QStringLiteral("aa") + han) << (QStringLiteral("aa") + han.left(5118));
        QTest::newRow("exactly the limit") << ascii.left(10239) << ascii.left(10239);
    }

    void longValueIsCut()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        writeBytes(m_path, ToGbk(QStringLiteral("[a]\r\nk=") + value + QStringLiteral("\r\n")));
        QCOMPARE(SettingsFile(m_path).ReadSetting(QStringLiteral("a"), QStringLiteral("k")), expected);
    }

    // Everything apart from the written line stays byte for byte.
    void writeChangesOneLine_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("after");

        QTest::newRow("new file") << QString() << QStringLiteral("界面") << QStringLiteral("编辑框时1")
                                  << QStringLiteral("8") << QStringLiteral("[界面]\r\n编辑框时1=8\r\n");
        const QString mixed = QStringLiteral(
            "; kept\r\n[Other]\r\na = 1\r\n\r\n[界面]\r\n编辑框时1=3\r\n编辑框时2=5\r\n\r\n[Domora网]\r\nuser=x\r\n");
        QTest::newRow("replace in place")
            << mixed << QStringLiteral("界面") << QStringLiteral("编辑框时1") << QStringLiteral("8")
            << QString(mixed).replace(QStringLiteral("编辑框时1=3"), QStringLiteral("编辑框时1=8"));
        QTest::newRow("key added to an existing section")
            << mixed << QStringLiteral("界面") << QStringLiteral("编辑框分1") << QStringLiteral("0")
            << QString(mixed).replace(
                   QStringLiteral("编辑框时2=5\r\n"), QStringLiteral("编辑框时2=5\r\n编辑框分1=0\r\n"));
        QTest::newRow("new section appended") << mixed << QStringLiteral("新") << QStringLiteral("k")
                                              << QStringLiteral("v") << mixed + QStringLiteral("[新]\r\nk=v\r\n");
        QTest::newRow("odd case keeps the stored spelling, LF kept")
            << QStringLiteral("[domora网]\nUSER = old\npass=p\n") << QStringLiteral("Domora网")
            << QStringLiteral("user") << QStringLiteral("new") << QStringLiteral("[domora网]\nUSER=new\npass=p\n");
        QTest::newRow("no trailing line break, new section")
            << QStringLiteral("[a]\r\nk=1") << QStringLiteral("b") << QStringLiteral("k") << QStringLiteral("2")
            << QStringLiteral("[a]\r\nk=1\r\n[b]\r\nk=2\r\n");
        QTest::newRow("no trailing line break, same section")
            << QStringLiteral("[a]\nk=1") << QStringLiteral("A") << QStringLiteral("j") << QStringLiteral("2")
            << QStringLiteral("[a]\nk=1\r\nj=2\r\n");
        QTest::newRow("empty section header last")
            << QStringLiteral("[a]") << QStringLiteral("a") << QStringLiteral("k") << QStringLiteral("v")
            << QStringLiteral("[a]\r\nk=v\r\n");
        QTest::newRow("empty value keeps the key")
            << QStringLiteral("[a]\r\nk=5\r\n") << QStringLiteral("a") << QStringLiteral("k") << QString()
            << QStringLiteral("[a]\r\nk=\r\n");
        QTest::newRow("GBK password") << QStringLiteral("[Domora网]\r\nuser=u\r\npass=old\r\n")
                                      << QStringLiteral("Domora网") << QStringLiteral("pass")
                                      << QStringLiteral("密码１２")
                                      << QStringLiteral("[Domora网]\r\nuser=u\r\npass=密码１２\r\n");
        QTest::newRow("a line break cannot forge lines")
            << QStringLiteral("[a]\r\nk=1\r\n") << QStringLiteral("a") << QStringLiteral("k")
            << QStringLiteral("x\r\n[b]\r\nevil=1") << QStringLiteral("[a]\r\nk=x\r\n");
    }

    void writeChangesOneLine()
    {
        QFETCH(QString, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, after);
        if (!before.isNull())
            writeBytes(m_path, ToGbk(before));
        SettingsFile settings(m_path);
        settings.WriteSetting(section, key, value);
        QCOMPARE(readBytes(m_path), ToGbk(after));
        QCOMPARE(settings.ReadSetting(section, key), value.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0));
        // Nothing but the file itself is left in the folder.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList { QStringLiteral("pz.ini") });
    }

    void writeWithoutDataFolderIsIgnored()
    {
        const QString noFolder = m_dir->filePath(QStringLiteral("data/pz.ini"));
        SettingsFile settings(noFolder);
        settings.WriteSetting(QStringLiteral("界面"), QStringLiteral("编辑框时1"), QStringLiteral("8"));
        QVERIFY(!QFile::exists(noFolder));
        QCOMPARE(settings.ReadSetting(QStringLiteral("界面"), QStringLiteral("编辑框时1")), QString());
    }

    // The watcher and the editor write the same file from two threads: no write may
    // be lost to the other's read-change-write.
    void concurrentWritesKeepEveryKey()
    {
        constexpr int Rounds = 200;
        const auto writer = [this](const QString& key) {
            return QThread::create([this, key] {
                SettingsFile settings(m_path);
                for (int i = 1; i <= Rounds; ++i)
                    settings.WriteSetting(QStringLiteral("Domora网"), key, QString::number(i));
            });
        };
        std::unique_ptr<QThread> first(writer(QStringLiteral("user")));
        std::unique_ptr<QThread> second(writer(QStringLiteral("pass")));
        first->start();
        second->start();
        QVERIFY(first->wait(60000));
        QVERIFY(second->wait(60000));
        SettingsFile settings(m_path);
        QCOMPARE(settings.ReadSetting(QStringLiteral("Domora网"), QStringLiteral("user")), QString::number(Rounds));
        QCOMPARE(settings.ReadSetting(QStringLiteral("Domora网"), QStringLiteral("pass")), QString::number(Rounds));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "test_settings_file.moc"
