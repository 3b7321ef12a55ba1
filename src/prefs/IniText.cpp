#include "IniText.h"

#include <QStringDecoder>
#include <algorithm>
#include <limits>

namespace {

const QByteArrayView kByteOrderMark("\xEF\xBB\xBF");

// A part of a line as text. Unlike QString::fromUtf8, which drops it, a byte-order mark is kept:
// only the one at the start of the file is not part of the text.
QString decoded(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}

// The ASCII characters QChar::isSpace() counts as blanks.
bool isAsciiBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

bool isAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameAsciiName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

// Counted with memchr: QByteArrayView::count() is several times slower on large files.
qsizetype lineBreaks(QByteArrayView text)
{
    qsizetype count = 0;
    for (qsizetype at = 0; (at = text.indexOf('\n', at)) >= 0; ++at)
        ++count;
    return count;
}

} // namespace

IniText::IniText(QByteArray content) : m_content(std::move(content))
{
    QByteArrayView all(m_content);
    if (all.startsWith(kByteOrderMark)) {
        m_byteOrderMark = all.first(kByteOrderMark.size());
        all = all.sliced(kByteOrderMark.size());
    }
    if (all.isEmpty())
        return;
    m_endsWithLineEnd = all.endsWith('\n');
    m_lines.reserve(lineBreaks(all) + 1);
    bool anyCrlf = false;
    qsizetype begin = 0;
    for (qsizetype newline; (newline = all.indexOf('\n', begin)) >= 0; begin = newline + 1) {
        // One CR before each LF belongs to the line end; any other CR is part of the line.
        const bool crlf = newline > begin && all[newline - 1] == '\r';
        anyCrlf = anyCrlf || crlf;
        appendParsedLine(all.sliced(begin, newline - begin - (crlf ? 1 : 0)));
    }
    if (!m_endsWithLineEnd)
        appendParsedLine(all.sliced(begin));
    if (anyCrlf)
        m_lineEnd = QByteArrayLiteral("\r\n");
}

void IniText::appendParsedLine(QByteArrayView text)
{
    QString name;
    m_lines.push_back(classify(text, &name));
    if (m_lines.back().kind == Kind::Section)
        m_sections.push_back({qsizetype(m_lines.size()) - 1, name});
}

// Most lines start with an ASCII character and are told apart by their bytes; a line that starts
// with anything else (a blank of another script, a name in another script) is decoded first, so
// that the rules hold for every character.
IniText::Line IniText::classify(QByteArrayView text, QString* sectionName)
{
    Line line;
    line.text = text;
    qsizetype first = 0;
    while (first < text.size() && isAsciiBlank(text[first]))
        ++first;
    if (first == text.size())
        return line;
    line.kind = Kind::Other;
    if (uchar(text[first]) >= 0x80) {
        const QString trimmed = decoded(text).trimmed();
        if (trimmed.isEmpty()) {
            line.kind = Kind::Blank;
        } else if (const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
                   trimmed.startsWith(QLatin1Char('[')) && close >= 0) {
            line.kind = Kind::Section;
            *sectionName = trimmed.mid(1, close - 1).trimmed();
        } else if (!trimmed.startsWith(QLatin1Char(';')) && trimmed.contains(QLatin1Char('='))) {
            line.kind = Kind::Key;
        }
        return line;
    }
    if (text[first] == ';')
        return line;
    if (text[first] == '[') {
        if (const qsizetype close = text.indexOf(']', first); close >= 0) {
            line.kind = Kind::Section;
            *sectionName = decoded(text.sliced(first + 1, close - first - 1)).trimmed();
            return line;
        }
    }
    const qsizetype equals = text.indexOf('=', first);
    if (equals < 0)
        return line;
    line.kind = Kind::Key;
    qsizetype keyEnd = equals;
    while (keyEnd > first && isAsciiBlank(text[keyEnd - 1]))
        --keyEnd;
    const QByteArrayView key = text.sliced(first, keyEnd - first);
    line.asciiKey = isAscii(key) && equals <= std::numeric_limits<quint32>::max();
    if (line.asciiKey) {
        line.keyBegin = quint32(first);
        line.keyLength = quint32(key.size());
    }
    return line;
}

std::optional<IniText::Range> IniText::findSection(const QString& name) const
{
    const auto found = std::find_if(m_sections.begin(), m_sections.end(),
                                    [&](const Section& s) { return sameName(s.name, name); });
    if (found == m_sections.end())
        return std::nullopt;
    const auto next = std::next(found);
    return Range{found->line + 1,
                 next == m_sections.end() ? qsizetype(m_lines.size()) : next->line};
}

QString IniText::keyName(const Line& line)
{
    return decoded(line.text.first(line.text.indexOf('='))).trimmed();
}

qsizetype IniText::findKey(const Range& range, const QString& key) const
{
    const bool asciiWanted = isAscii(key);
    const QByteArray wanted = asciiWanted ? key.toLatin1() : QByteArray();
    for (qsizetype i = range.begin; i < range.end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind != Kind::Key)
            continue;
        const bool same =
            asciiWanted && line.asciiKey
                ? sameAsciiName(line.text.sliced(line.keyBegin, line.keyLength), wanted)
                : sameName(keyName(line), key);
        if (same)
            return i;
    }
    return -1;
}

std::optional<QString> IniText::rawValue(const QString& section, const QString& key) const
{
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    const qsizetype index = findKey(*range, key);
    if (index < 0)
        return std::nullopt;
    const QByteArrayView text = m_lines[index].text;
    return decoded(text.sliced(text.indexOf('=') + 1));
}

void IniText::setValue(const QString& section, const QString& key, const QString& value)
{
    const auto range = findSection(section);
    if (!range) {
        if (!m_lines.empty() && m_lines.back().kind != Kind::Blank)
            insertLine(m_lines.size(), QString());
        insertLine(m_lines.size(), QLatin1Char('[') + section + QLatin1Char(']'));
        insertLine(m_lines.size(), key + QLatin1Char('=') + value);
    } else if (const qsizetype index = findKey(*range, key); index >= 0) {
        replaceLine(index, keyName(m_lines[index]) + QLatin1Char('=') + value);
    } else {
        qsizetype at = range->end;
        while (at > range->begin && m_lines[at - 1].kind == Kind::Blank)
            --at;
        insertLine(at, key + QLatin1Char('=') + value);
    }
}

void IniText::insertLine(qsizetype index, const QString& text)
{
    m_lines.insert(m_lines.begin() + index, Line{});
    for (Section& section : m_sections)
        if (section.line >= index)
            ++section.line;
    replaceLine(index, text);
}

void IniText::replaceLine(qsizetype index, const QString& text)
{
    std::erase_if(m_sections, [&](const Section& section) { return section.line == index; });
    m_changedLines.push_back(text.toUtf8());
    QString name;
    m_lines[index] = classify(m_changedLines.back(), &name);
    if (m_lines[index].kind == Kind::Section) {
        const auto after =
            std::find_if(m_sections.begin(), m_sections.end(),
                         [&](const Section& section) { return section.line > index; });
        m_sections.insert(after, {index, name});
    }
}

QByteArray IniText::content() const
{
    qsizetype size = 0;
    for (const Line& line : m_lines)
        size += line.text.size() + m_lineEnd.size();
    QByteArray content;
    content.reserve(m_byteOrderMark.size() + size);
    content.append(m_byteOrderMark);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i > 0)
            content.append(m_lineEnd);
        content.append(m_lines[i].text);
    }
    if (m_endsWithLineEnd)
        content.append(m_lineEnd);
    return content;
}
