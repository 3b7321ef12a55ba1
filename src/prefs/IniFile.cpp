#include "IniFile.h"

#include "IntegerText.h"

#include <algorithm>

IniWriteError::IniWriteError(const QString& path)
    : std::runtime_error(unableToWriteMessage(path).toStdString()),
      m_message(unableToWriteMessage(path))
{
}

namespace {

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

IniFile::IniFile(QString path) : m_path(std::move(path))
{
    WholeFile file = readWholeFile(m_path);
    m_readProblem = file.problem;
    m_notReadReason = file.why;
    m_unreadable = file.existsUnread();
    if (file.wasRead())
        m_text = IniText(std::move(file.bytes));
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    const auto value = m_text.rawValue(section, key);
    return value ? cleanValue(*value) : defaultValue;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const auto value = m_text.rawValue(section, key);
    if (!value)
        return defaultValue;
    return parseIntegerText(cleanValue(*value)).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    return m_text.rawValue(section, key).has_value();
}

void IniFile::setString(const QString& section, const QString& key, const QString& value)
{
    m_text.setValue(section, key, firstLine(value));
}

void IniFile::setInteger(const QString& section, const QString& key, int value)
{
    setString(section, key, QString::number(value));
}

void IniFile::setBool(const QString& section, const QString& key, bool value)
{
    setString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::save()
{
    saveAs(m_path);
}

void IniFile::saveAs(const QString& path) const
{
    // Saving what was not read would leave the file with the changed keys alone.
    if (m_unreadable || !replaceWholeFile(path, m_text.content()))
        throw IniWriteError(path);
}
