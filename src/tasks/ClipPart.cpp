#include "ClipPart.h"

#include "Durations.h"

#include <QRegularExpression>
#include <cmath>

namespace {

const QString kInWord = QStringLiteral("-ss");
const QString kLengthWord = QStringLiteral("-endpos");
const QString kOpen = QStringLiteral("{");
const QString kClose = QStringLiteral("}");

qint64 milliseconds(double seconds)
{
    return std::llround(seconds * 1000.0);
}

// "5.000", "62.345": seconds as a job list keeps them.
QString millisecondsText(qint64 ms)
{
    return QString::number(ms / 1000) + QLatin1Char('.') +
           QStringLiteral("%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace

double ParseTimeValue(const QString& text)
{
    static const QRegularExpression seconds(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
    if (text.contains(QLatin1Char(':')))
        return ParseDuration(text);
    return seconds.match(text).hasMatch() ? text.toDouble() : -1;
}

QString PointText(double seconds)
{
    return FormatMilliseconds(milliseconds(seconds));
}

QString whyPartDoesNotFit(const ClipPart& part, double clipSeconds)
{
    if (!part.inPoint || clipSeconds < 0 || *part.inPoint < clipSeconds)
        return {};
    return QStringLiteral("its in point %1 is at or past its end, %2")
        .arg(PointText(*part.inPoint), PointText(clipSeconds));
}

QString readGroupWords(const QStringList& words, ClipPart& part)
{
    if (words.isEmpty())
        return QStringLiteral("the group names no video");
    if (words.first() == kInWord || words.first() == kLengthWord)
        return QStringLiteral(
            "in a group the video comes first: { VIDEO -ss START -endpos LENGTH }");
    part = ClipPart{words.first()};
    std::optional<qint64> in;
    std::optional<qint64> length;
    for (qsizetype at = 1; at < words.size(); at += 2) {
        const QString& word = words[at];
        if (word != kInWord && word != kLengthWord)
            return word.startsWith(QLatin1Char('-'))
                       ? QStringLiteral("'%1' is no word of a group, which takes -ss and -endpos")
                             .arg(word)
                       : QStringLiteral("a group holds one video, and '%1' follows '%2'")
                             .arg(word, part.path);
        std::optional<qint64>& value = word == kInWord ? in : length;
        if (value)
            return QStringLiteral("%1 is given twice").arg(word);
        if (at + 1 == words.size())
            return QStringLiteral("%1 needs a time").arg(word);
        const QString& text = words[at + 1];
        const double seconds = ParseTimeValue(text);
        // "-5" is no time, but its reader meant a length.
        const bool negative = text.startsWith(QLatin1Char('-')) && ParseTimeValue(text.mid(1)) >= 0;
        if (word == kLengthWord && (negative || (seconds >= 0 && milliseconds(seconds) == 0)))
            return QStringLiteral("-endpos takes a length above 0, not '%1'").arg(text);
        if (seconds < 0)
            return QStringLiteral("%1 takes seconds (5, 5.25) or hh:mm:ss.fff (00:01:02.345), "
                                  "not '%2'")
                .arg(word, text);
        value = milliseconds(seconds);
    }
    if (in)
        part.inPoint = double(*in) / 1000.0;
    if (length)
        part.outPoint = double(in.value_or(0) + *length) / 1000.0;
    return {};
}

GroupedArguments takeOutGroups(const QStringList& arguments)
{
    GroupedArguments grouped;
    for (qsizetype at = 0; at < arguments.size(); ++at) {
        if (arguments[at] == kClose) {
            grouped.error = QStringLiteral("a } closes no group");
            return grouped;
        }
        if (arguments[at] != kOpen) {
            grouped.arguments << arguments[at];
            continue;
        }
        const qsizetype close = arguments.indexOf(kClose, at + 1);
        const qsizetype inner = arguments.indexOf(kOpen, at + 1);
        if (close < 0) {
            grouped.error = QStringLiteral("a { is not closed by }");
            return grouped;
        }
        if (inner >= 0 && inner < close) {
            grouped.error = QStringLiteral("a { stands inside another group; groups do not nest");
            return grouped;
        }
        const QStringList words = arguments.mid(at + 1, close - at - 1);
        ClipPart part;
        if (const QString why = readGroupWords(words, part); !why.isEmpty()) {
            grouped.error =
                QStringLiteral("in %1: %2")
                    .arg((QStringList{kOpen} + words + QStringList{kClose}).join(QLatin1Char(' ')),
                         why);
            return grouped;
        }
        grouped.arguments << groupWord(grouped.groups.size());
        grouped.groups << part;
        at = close;
    }
    return grouped;
}

QString groupWord(qsizetype index)
{
    return QChar(0) + QString::number(index);
}

qsizetype groupIndexOf(const QString& word)
{
    if (!word.startsWith(QChar(0)))
        return -1;
    bool ok = false;
    const qsizetype index = word.mid(1).toLongLong(&ok);
    return ok ? index : -1;
}

QString jobListLine(const ClipPart& part)
{
    if (!part.isTrimmed())
        return part.path;
    QString line = QStringLiteral("{ ") + part.path;
    const qint64 in = milliseconds(part.inPoint.value_or(0));
    if (part.inPoint)
        line += QLatin1Char(' ') + kInWord + QLatin1Char(' ') + millisecondsText(in);
    if (part.outPoint)
        line += QLatin1Char(' ') + kLengthWord + QLatin1Char(' ') +
                millisecondsText(milliseconds(*part.outPoint) - in);
    return line + QStringLiteral(" }");
}

ListedPart readJobListLine(const QString& line)
{
    if (!line.startsWith(QStringLiteral("{ ")))
        return {ClipPart{line}, {}};
    if (!line.endsWith(QStringLiteral(" }")))
        return {{}, QStringLiteral("the group is not closed by ' }'")};
    // "{ }" is closed too, and names nothing.
    QString body = line.size() > 4 ? line.mid(2, line.size() - 4) : QString();
    QStringList options;
    // "-endpos X", then "-ss X", from the right, in the order jobListLine writes them: what
    // stands before them is the path, blanks and all.
    for (const QString& word : {kLengthWord, kInWord}) {
        const qsizetype valueAt = body.lastIndexOf(QLatin1Char(' '));
        if (valueAt < 0 || !body.left(valueAt).endsWith(QLatin1Char(' ') + word))
            continue;
        options = QStringList{word, body.mid(valueAt + 1)} + options;
        body.truncate(valueAt - word.size() - 1);
    }
    if (body.isEmpty())
        return {{}, QStringLiteral("the group names no video")};
    ListedPart listed;
    listed.error = readGroupWords(QStringList{body} + options, listed.part);
    return listed;
}
