#include "plans/settings_file.h"

#include "common/gbk.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <optional>
#include <vector>

// Reading and writing follow the private-profile rules, so files written by earlier
// installations (and by hand) read the same:
// - a line "[name]" opens a section; lines before the first section belong to none;
// - a line "key=value" holds a value; blanks (spaces, tabs) around section names, keys
//   and values are not part of them, so a hand-edited "pass = abc " reads "abc";
// - quotes are kept as stored (the value is exactly what was written);
// - the first section and the first key of a name win when a name repeats.
// A write changes one line or adds one; every other byte of the file stays as it was.

namespace {

// One lock for every settings file of the process: the login window's watcher and the
// plan editor write the same file, and each read-change-write must be whole.
QMutex& settingsMutex()
{
    static QMutex mutex;
    return mutex;
}

// GetPrivateProfileString fills a buffer of 10,240 bytes, one of them the terminator.
constexpr qsizetype MaxValueBytes = 10239;

struct Line
{
    QByteArray content; // without its line break
    QByteArray terminator; // "\r\n", "\n" or empty for a last line without one
};

std::vector<Line> splitLines(const QByteArray& bytes)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines.push_back({ bytes.mid(start), QByteArray() });
            break;
        }
        qsizetype end = lf;
        if (end > start && bytes.at(end - 1) == '\r')
            --end;
        lines.push_back({ bytes.mid(start, end - start), bytes.mid(end, lf + 1 - end) });
        start = lf + 1;
    }
    return lines;
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r'; };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// The section name of a header line, or nothing when the line is not one.
std::optional<QString> sectionName(const QString& line)
{
    const QString trimmed = trimBlanks(line);
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.lastIndexOf(u']');
    if (close <= 0)
        return std::nullopt;
    return trimBlanks(trimmed.mid(1, close - 1));
}

struct KeyLine
{
    QString key;
    QString value;
};

std::optional<KeyLine> keyLine(const QString& line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return KeyLine { trimBlanks(line.left(eq)), trimBlanks(line.mid(eq + 1)) };
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a section and a key sit among the lines.
struct Location
{
    std::optional<size_t> header; // the section's header line
    size_t lastEntry = 0; // last non-empty line of the section (or the header)
    std::optional<size_t> keyIndex; // the key's line
    QString storedKey; // the key as spelled in the file
    QString value;
};

Location locate(const std::vector<Line>& lines, const QString& section, const QString& key)
{
    Location found;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QString text = FromGbk(lines[i].content);
        if (const auto name = sectionName(text)) {
            if (inSection)
                break;
            if (!found.header && sameName(*name, section)) {
                found.header = i;
                found.lastEntry = i;
                inSection = true;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trimBlanks(text).isEmpty())
            found.lastEntry = i;
        if (found.keyIndex)
            continue;
        if (const auto entry = keyLine(text); entry && sameName(entry->key, key)) {
            found.keyIndex = i;
            found.storedKey = entry->key;
            found.value = entry->value;
        }
    }
    return found;
}

// Empty for a missing file; nothing for a file that is there but cannot be read, which a
// write must then leave alone rather than replace with its one key.
std::optional<QByteArray> readAllBytes(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// The first maxBytes bytes of GBK text, never ending inside a double-byte character.
QByteArray cutGbk(const QByteArray& bytes, qsizetype maxBytes)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        const qsizetype width = (byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        if (i + width > maxBytes)
            break;
        i += width;
    }
    return bytes.left(i);
}

// A value is one line: anything from the first line break on would become lines of
// its own and could forge other keys.
QString firstLine(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r' || text.at(i) == u'\n')
            return text.left(i);
    }
    return text;
}

bool isUsableName(const QString& name, bool isKey)
{
    if (trimBlanks(name).isEmpty() || name.contains(u'\r') || name.contains(u'\n'))
        return false;
    return isKey ? !name.contains(u'=') && !name.startsWith(u'[') : !name.contains(u']');
}

} // namespace

SettingsFile::SettingsFile(const QString& path)
    : m_path(path)
{ }

QString SettingsFile::ReadSetting(const QString& section, const QString& key) const
{
    QMutexLocker lock(&settingsMutex());
    const std::vector<Line> lines = splitLines(readAllBytes(m_path).value_or(QByteArray()));
    const Location found = locate(lines, trimBlanks(section), trimBlanks(key));
    if (!found.keyIndex)
        return QString();
    return FromGbk(cutGbk(ToGbk(found.value), MaxValueBytes));
}

void SettingsFile::WriteSetting(const QString& section, const QString& key, const QString& value)
{
    const QString sectionText = trimBlanks(section);
    const QString keyText = trimBlanks(key);
    if (!isUsableName(sectionText, false) || !isUsableName(keyText, true))
        return;
    const QByteArray valueBytes = ToGbk(firstLine(value));
    const QByteArray crlf("\r\n");

    QMutexLocker lock(&settingsMutex());
    const std::optional<QByteArray> old = readAllBytes(m_path);
    if (!old)
        return;
    std::vector<Line> lines = splitLines(*old);
    const Location found = locate(lines, sectionText, keyText);

    if (found.keyIndex) {
        lines[*found.keyIndex].content = ToGbk(found.storedKey) + '=' + valueBytes;
    } else {
        const Line entry { ToGbk(keyText) + '=' + valueBytes, crlf };
        // The line that will precede the new ones needs a line break of its own.
        const size_t before = found.header ? found.lastEntry : lines.size() - 1;
        if (!lines.empty() && lines[before].terminator.isEmpty())
            lines[before].terminator = crlf;
        if (found.header) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(found.lastEntry) + 1, entry);
        } else {
            lines.push_back({ '[' + ToGbk(sectionText) + ']', crlf });
            lines.push_back(entry);
        }
    }

    QByteArray bytes;
    for (const Line& line : lines)
        bytes += line.content + line.terminator;

    // Written beside the old file and renamed over it: a crash or a full disk leaves
    // either the old file or the new one, never half of one. A missing data folder
    // makes open() fail, and the write is dropped.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}
