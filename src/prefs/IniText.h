#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <deque>
#include <optional>
#include <vector>

// The text of an ini file, split into lines once, with the private-profile rules for finding a
// key and for changing one. A line is a section header when, blanks dropped, it starts with "["
// and holds a "]"; a key line when it holds "=" and does not start with ";". Section and key
// names match without regard to letter case; the first of a name wins. Lines that are not
// changed keep their bytes, whatever their encoding, and so does a byte-order mark.
class IniText
{
public:
    IniText() = default;
    explicit IniText(QByteArray content);

    // The text after the "=" of the key; nullopt when the section or the key is missing.
    std::optional<QString> rawValue(const QString& section, const QString& key) const;

    // The key's line becomes key=value, keeping the spelling of its name; a missing key is added
    // after the last line of its section that is not blank, a missing section at the end after a
    // blank line. Neither the names nor the value may hold a line break.
    void setValue(const QString& section, const QString& key, const QString& value);

    // The lines joined by the file's line end (CRLF when the file had any, else LF), ending in
    // one when the file did (or was empty).
    QByteArray content() const;

private:
    enum class Kind : quint8
    {
        Blank,
        Other,
        Section,
        Key
    };
    struct Line
    {
        QByteArrayView text; // without its line end; into m_content or m_changedLines
        Kind kind = Kind::Blank;
        // A key line whose name is plain ASCII: where the name lies in the text. Such names are
        // compared byte by byte; any other is decoded first.
        bool asciiKey = false;
        quint32 keyBegin = 0;
        quint32 keyLength = 0;
    };
    struct Section
    {
        qsizetype line;
        QString name;
    };
    struct Range
    {
        qsizetype begin; // the line after the header
        qsizetype end;   // the next header, or the end of the text
    };

    static Line classify(QByteArrayView text, QString* sectionName);
    void appendParsedLine(QByteArrayView text);
    std::optional<Range> findSection(const QString& name) const;
    qsizetype findKey(const Range& range, const QString& key) const;
    static QString keyName(const Line& line);
    void insertLine(qsizetype index, const QString& text);
    void replaceLine(qsizetype index, const QString& text);

    // The lines point into these buffers, which are never changed once filled.
    QByteArray m_content; // the file as read
    std::deque<QByteArray> m_changedLines;
    std::vector<Line> m_lines;
    std::vector<Section> m_sections; // every header line, in line order
    QByteArrayView m_byteOrderMark;  // kept in front of the first line
    QByteArray m_lineEnd = QByteArrayLiteral("\n");
    bool m_endsWithLineEnd = true;
};
