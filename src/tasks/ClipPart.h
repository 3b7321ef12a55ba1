#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

// A part of a video as the command line and job lists name it, in the encoder's own words:
// "{ VIDEO -ss START -endpos LENGTH }", START where the part begins, LENGTH how long it runs
// from there (MEncoder's meaning); either may be left out.
struct ClipPart
{
    QString path;
    // Seconds from the clip's first picture, to the millisecond; none: its beginning, its end.
    std::optional<double> inPoint{};
    std::optional<double> outPoint{};

    bool isTrimmed() const { return inPoint || outPoint; }
};

// A part that does not fit the clip it names, found once the clip is probed.
class ClipPartError : public std::runtime_error
{
public:
    explicit ClipPartError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The seconds of a time value, "5", "5.25" or "00:01:02.345"; -1 when the text is none.
double ParseTimeValue(const QString& text);

// A point in a clip as the task list shows it: "00:01:02.345".
QString PointText(double seconds);

// Why the part cannot be taken from a clip this long (seconds, -1 unknown); empty when it can.
QString whyPartDoesNotFit(const ClipPart& part, double clipSeconds);

// The words between a group's braces, its file first, read into part; why they are no group's
// words, or empty.
QString readGroupWords(const QStringList& words, ClipPart& part);

// Command line arguments with each group "{" VIDEO ... "}" taken out, so that an option parser
// does not take -ss for an option of its own: each stands as groupWord(its index).
struct GroupedArguments
{
    QStringList arguments;
    QList<ClipPart> groups;
    QString error; // why the groups were not read; empty when they were
};
GroupedArguments takeOutGroups(const QStringList& arguments);
// It holds a NUL, which no argument can hold.
QString groupWord(qsizetype index);
// The index of the group the word stands for; -1 when it stands for none.
qsizetype groupIndexOf(const QString& word);

// A job list's line for a row: its path alone when it is whole, which is what lists held before
// parts; else "{ PATH -ss 5.000 -endpos 15.000 }".
QString jobListLine(const ClipPart& part);

struct ListedPart
{
    ClipPart part;
    QString error; // why a line beginning with "{ " is no group; empty when it is one
};
// A job list's line, the path as written. A group is read from its right end, so that a path
// with blanks stays whole.
ListedPart readJobListLine(const QString& line);
