#pragma once

#include "IniText.h"
#include "paths/WholeFile.h"

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
// The file is read once, when the object is made; reads and changes work on that reading, and
// save() puts it back in one step. Keep an object for one load or one save, not longer.
class IniFile
{
public:
    static constexpr int kMaxValueLength = 2047;

    // A missing file reads as empty; so does anything but a regular file (after following
    // links), a file larger than kWholeFileMaxBytes and a file the system refuses to read, and
    // save() never writes over those.
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }
    // Why the file was not read (WholeFileProblem::None when it was) and, when something is
    // there but was not read, the reason in plain words ("it is a named pipe, not a regular
    // file").
    WholeFileProblem readProblem() const { return m_readProblem; }
    const QString& notReadReason() const { return m_notReadReason; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    bool valueExists(const QString& section, const QString& key) const;

    // Changes the reading, not yet the file; creates the section or the key when missing. A
    // value is cut at its first line break. Booleans are written as 1 or 0.
    void setString(const QString& section, const QString& key, const QString& value);
    void setInteger(const QString& section, const QString& key, int value);
    void setBool(const QString& section, const QString& key, bool value);

    // Replaces the file with the reading and its changes in one atomic step, keeping every line
    // that was not changed; creates the file when missing. Throws IniWriteError when the system
    // refuses, and when the file exists but could not be read (saving would lose its lines).
    void save();
    // The same, but to the file at path, which the reading then replaces or creates; the file
    // read stays as it is.
    void saveAs(const QString& path) const;

private:
    QString m_path;
    IniText m_text;
    WholeFileProblem m_readProblem = WholeFileProblem::None;
    QString m_notReadReason;
    bool m_unreadable = false;
};
