#include "IniFile.h"

#include "IntegerText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>
#include <optional>

IniWriteError::IniWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString()),
      m_message(QStringLiteral("Unable to write to %1").arg(path))
{
}

namespace {

// The file as lines, with the line end it uses (CRLF when the file has any).
struct IniText
{
    QStringList lines;
    QString lineEnd = QStringLiteral("\n");
    bool endsWithLineEnd = true;
};

IniText loadText(const QString& path)
{
    IniText text;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return text;
    const QString content = QString::fromUtf8(file.readAll());
    if (content.isEmpty())
        return text;
    if (content.contains(QLatin1String("\r\n")))
        text.lineEnd = QStringLiteral("\r\n");
    QString normalised = content;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.endsWithLineEnd = normalised.endsWith(QLatin1Char('\n'));
    if (text.endsWithLineEnd)
        normalised.chop(1);
    text.lines = normalised.split(QLatin1Char('\n'));
    return text;
}

std::optional<QString> sectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

struct KeyLine
{
    QString key;
    QString rawValue;
};

std::optional<KeyLine> keyLine(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
        return std::nullopt;
    const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    return KeyLine{trimmed.left(equals).trimmed(), trimmed.mid(equals + 1)};
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Index range [first line after the header, end) of the first section of that name.
struct SectionRange
{
    qsizetype begin = -1;
    qsizetype end = -1;
};

SectionRange findSection(const QStringList& lines, const QString& section)
{
    SectionRange range;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name)
            continue;
        if (range.begin >= 0) {
            range.end = i;
            return range;
        }
        if (sameName(*name, section))
            range.begin = i + 1;
    }
    if (range.begin >= 0)
        range.end = lines.size();
    return range;
}

qsizetype findKey(const QStringList& lines, const SectionRange& range, const QString& key)
{
    for (qsizetype i = range.begin; i < range.end; ++i) {
        const auto entry = keyLine(lines[i]);
        if (entry && sameName(entry->key, key))
            return i;
    }
    return -1;
}

QString cleanValue(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value.left(IniFile::kMaxValueLength);
}

std::optional<QString> lookUp(const QString& path, const QString& section, const QString& key)
{
    const IniText text = loadText(path);
    const SectionRange range = findSection(text.lines, section);
    if (range.begin < 0)
        return std::nullopt;
    const qsizetype index = findKey(text.lines, range, key);
    if (index < 0)
        return std::nullopt;
    return cleanValue(keyLine(text.lines[index])->rawValue);
}

// A value never holds a line break: the rest would become lines of their own, even a key that
// wins over the real one (a Linux file name may hold one).
QString firstLine(const QString& value)
{
    const auto lineBreak = std::find_if(value.begin(), value.end(), [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r');
    });
    return value.left(lineBreak - value.begin());
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    return lookUp(m_path, section, key).value_or(defaultValue);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const auto value = lookUp(m_path, section, key);
    if (!value)
        return defaultValue;
    return parseIntegerText(*value).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    return lookUp(m_path, section, key).has_value();
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    const QFileInfo info(m_path);
    // A rename would replace a read-only file; the system's own rule is that it stays.
    if (info.exists() && !info.isWritable())
        throw IniWriteError(m_path);

    IniText text = loadText(m_path);
    const QString stored = firstLine(value);
    const QString newLine = key + QLatin1Char('=') + stored;
    const SectionRange range = findSection(text.lines, section);
    if (range.begin < 0) {
        if (!text.lines.isEmpty() && !text.lines.back().trimmed().isEmpty())
            text.lines.append(QString());
        text.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        text.lines.append(newLine);
    } else if (const qsizetype index = findKey(text.lines, range, key); index >= 0) {
        const QString existingKey = keyLine(text.lines[index])->key;
        text.lines[index] = existingKey + QLatin1Char('=') + stored;
    } else {
        qsizetype insertAt = range.end;
        while (insertAt > range.begin && text.lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;
        text.lines.insert(insertAt, newLine);
    }

    QString content = text.lines.join(text.lineEnd);
    if (text.endsWithLineEnd)
        content += text.lineEnd;
    const QByteArray bytes = content.toUtf8();
    // Unbuffered, so that a short write (disk full, size limit) shows in write()'s count:
    // QSaveFile's buffered flush would commit a truncated file as if all were well.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw IniWriteError(m_path);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        throw IniWriteError(m_path);
    }
    if (!file.commit())
        throw IniWriteError(m_path);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
