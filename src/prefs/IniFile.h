#pragma once

#include <QString>
#include <stdexcept>

// A write the system refused; the file on disk is left as it was.
class IniWriteError : public std::runtime_error
{
public:
    explicit IniWriteError(const QString& path);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// An ini (private-profile) file with the Windows rules: section and key names match without
// regard to letter case, blanks around a value are dropped, one pair of quotes around it too,
// and a value is read up to 2047 characters. The first section or key of a name wins.
// Every call opens the file and closes it again; nothing is cached.
class IniFile
{
public:
    static constexpr int kMaxValueLength = 2047;

    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    bool valueExists(const QString& section, const QString& key) const;

    // Replaces the file atomically, keeping every other line; creates the file, the section or
    // the key when missing. A value is cut at its first line break. Throws IniWriteError when
    // the system refuses.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

private:
    QString m_path;
};
