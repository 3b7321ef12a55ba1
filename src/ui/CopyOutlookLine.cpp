#include "CopyOutlookLine.h"

#include "TrackNames.h"

#include "job/CopyOutlook.h"
#include "prefs/Preferences.h"
#include "tasks/ClipPart.h"
#include "tasks/TaskListModel.h"

#include <QFileInfo>
#include <QLabel>

#include <algorithm>

namespace {

const QString kRemoveLink = QStringLiteral("remove");
const QString kProfileLink = QStringLiteral("profile");
const QString kExactCutsLink = QStringLiteral("exact-cuts");
// Shown while the pointer is over that link: what the user consents to.
const QString kExactCutsTip = QStringLiteral(
    "Writes the videos' parameter sets in the stream (MP4 sample entry avc3 or hev1), which keeps "
    "every cut where it is set and lets a video be re-encoded to match others that another "
    "encoder made. Some players refuse such files: Safari's WebCodecs, "
    "FairPlay-protected playback, and Apple's players (QuickTime, Safari, iOS) for HEVC. The "
    "General Settings turn it off again.");

QString link(const QString& target, const QString& text)
{
    return QStringLiteral("<a href=\"%1\">%2</a>").arg(target, text);
}

// A long list stays one line: "a, b, c and 2 more".
QString listedBriefly(QStringList names)
{
    constexpr qsizetype kNamedAtMost = 3;
    if (names.size() > kNamedAtMost) {
        const qsizetype more = names.size() - kNamedAtMost;
        names.resize(kNamedAtMost);
        names << QStringLiteral("%1 more").arg(more);
    }
    return listed(names);
}

// The file names of the clips that are still listed, ready for the line's markup.
QStringList namesOf(const QList<EncoderCheck::Answer::Differing>& clips, const TaskListModel& model)
{
    QStringList names;
    for (const EncoderCheck::Answer::Differing& clip : clips)
        if (clip.row >= 0 && clip.row < model.rowCount())
            names << QFileInfo(model.ReadItemData(clip.row).path).fileName().toHtmlEscaped();
    return names;
}

QString removeLink(qsizetype clips)
{
    return link(kRemoveLink,
                clips == 1 ? QStringLiteral("Remove it") : QStringLiteral("Remove them"));
}

bool stopsTheCopy(EncoderCheck::Answer::Kind kind)
{
    using Kind = EncoderCheck::Answer::Kind;
    return kind == Kind::CannotCopy || kind == Kind::CannotCopySound ||
           kind == Kind::CannotReadInput;
}

// "the sound", "the French sound track", "sound track 2"
QString soundTrackName(const vantomel::TrackLine& track, const QList<vantomel::TrackLine>& kept)
{
    if (std::count_if(kept.begin(), kept.end(), [](const auto& t) { return t.type == "sound"; }) ==
        1)
        return QStringLiteral("the sound");
    if (!track.language.empty())
        return QStringLiteral("the %1 sound track").arg(languageName(track.language));
    // The picture is the output's first track, its sound tracks those after it.
    return QStringLiteral("sound track %1").arg(track.number - 1);
}

// What the output carries besides a picture and one sound track, what it drops, and the sound
// it encodes whole.
QString tracksText(const QList<vantomel::TrackLine>& tracks)
{
    const auto [kept, dropped] = keptTracks(tracks);
    QString text;
    if (kept.size() > 1 || (kept.size() == 1 && kept.front().type != "sound"))
        text += QStringLiteral("; the output keeps ") + tracksListed(kept);
    for (const vantomel::TrackLine& track : kept)
        if (!track.encodedWhy.empty()) {
            QString why = QString::fromStdString(track.encodedWhy).toHtmlEscaped();
            if (why.endsWith(QLatin1Char('.')))
                why.chop(1);
            text += QStringLiteral("; %1 is re-encoded (%2)").arg(soundTrackName(track, kept), why);
        }
    if (!dropped.isEmpty())
        text += QStringLiteral("; ") + tracksListed(dropped) +
                (dropped.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are")) +
                QStringLiteral(" dropped, which the output's container cannot keep");
    return text;
}

QString acceptedText(const EncoderCheck::Answer& answer, const TaskListModel& model,
                     bool offerExactCuts)
{
    QList<EncoderCheck::Answer::Differing> pictures, sounds;
    for (const EncoderCheck::Answer::Differing& clip : answer.encodedToMatch)
        (clip.soundOnly ? sounds : pictures) << clip;
    const QStringList encoded = namesOf(pictures, model);
    const QStringList soundOnly = namesOf(sounds, model);
    const int videos = model.rowCount();
    const bool soundEncodedWhole =
        std::any_of(answer.tracks.begin(), answer.tracks.end(),
                    [](const vantomel::TrackLine& track) { return !track.encodedWhy.empty(); });
    QString text;
    if (!encoded.isEmpty())
        text = QStringLiteral("All %1 videos can be joined: %2 %3 re-encoded to match the others "
                              "(%4), %5")
                   .arg(QString::number(videos), listedBriefly(encoded),
                        encoded.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                        removeLink(encoded.size() + soundOnly.size()),
                        videos - encoded.size() == 1 ? QStringLiteral("the other is copied")
                                                     : QStringLiteral("the rest are copied"));
    else if (!soundOnly.isEmpty() || soundEncodedWhole)
        text = QStringLiteral("All %1 videos can be joined without re-encoding their pictures")
                   .arg(videos);
    else
        text = QStringLiteral("All %1 videos can be joined without re-encoding").arg(videos);
    if (!soundOnly.isEmpty())
        text += QStringLiteral("; the sound of %1 is re-encoded to match the others'%2")
                    .arg(listedBriefly(soundOnly),
                         encoded.isEmpty() ? " (" + removeLink(soundOnly.size()) + ")" : QString());
    text += tracksText(answer.tracks);
    QStringList moved;
    for (const vantomel::MovedLine& point : answer.moved)
        if (const QString name = QString::fromStdString(point.clip).toHtmlEscaped();
            !moved.contains(name))
            moved << name;
    if (moved.isEmpty())
        return text;
    text += QStringLiteral("; the cuts of %1 move to the nearest keyframes, as a copy "
                           "keeps whole groups of pictures")
                .arg(listed(moved));
    if (offerExactCuts)
        text += QStringLiteral(". ") + link(kExactCutsLink, QStringLiteral("Cut them exactly")) +
                QLatin1Char('.');
    return text;
}

} // namespace

CopyOutlookLine::CopyOutlookLine(QLabel& line, TaskListModel& model, CopyOutlook& outlook,
                                 const prefs::GeneralSettings& settings, QObject* parent)
    : QObject(parent), m_line(line), m_model(model), m_settings(settings)
{
    connect(&outlook, &CopyOutlook::answered, this, &CopyOutlookLine::show);
    connect(&outlook, &CopyOutlook::withdrawn, this, &CopyOutlookLine::withdraw);
    connect(&m_line, &QLabel::linkActivated, this, [this](const QString& target) {
        if (target == kRemoveLink)
            emit removeRequested(m_named);
        else if (target == kProfileLink)
            emit profileChoiceRequested();
        else if (target == kExactCutsLink)
            emit exactCutsRequested();
    });
    // QLabel shows no tooltip of its own for a link.
    connect(&m_line, &QLabel::linkHovered, this, [this](const QString& target) {
        m_line.setToolTip(target == kExactCutsLink ? kExactCutsTip : QString());
    });
}

QString CopyOutlookLine::text(const EncoderCheck::Answer& answer, const TaskListModel& model,
                              bool offerExactCuts)
{
    if (answer.kind == EncoderCheck::Answer::Kind::Accepted)
        return acceptedText(answer, model, offerExactCuts);
    if (!stopsTheCopy(answer.kind))
        return {};
    const QString profile = link(kProfileLink, QStringLiteral("Choose a profile that re-encodes"));
    // No clip of its own stops it: the container cannot hold them, and the reason says why.
    if (answer.differing.isEmpty())
        return answer.reason.toHtmlEscaped() + QLatin1Char(' ') + profile + QLatin1Char('.');
    const QStringList names = namesOf(answer.differing, model);
    QString ways = removeLink(names.size());
    if (answer.joinsWithInBandSets && offerExactCuts)
        ways += QStringLiteral(", ") +
                link(kExactCutsLink, names.size() == 1
                                         ? QStringLiteral("Re-encode it with parameter sets in "
                                                          "the stream")
                                         : QStringLiteral("Re-encode them with parameter sets "
                                                          "in the stream")) +
                QLatin1Char(',');
    return listed(names) +
           QStringLiteral(" cannot be joined with the others without re-encoding: ") + ways +
           QStringLiteral(" or ") + profile + QLatin1Char('.');
}

void CopyOutlookLine::show(const EncoderCheck::Answer& answer)
{
    withdraw();
    const QString shown = text(answer, m_model, !m_settings.exactCutsInStream);
    if (shown.isEmpty())
        return;
    using NoteKind = TaskListModel::CopyNoteKind;
    const auto note = [this](const QList<EncoderCheck::Answer::Differing>& clips,
                             const QString& lead, NoteKind kind) {
        for (const EncoderCheck::Answer::Differing& clip : clips) {
            m_model.setCopyNote(clip.row, lead + clip.reason, kind);
            m_named << clip.row;
        }
    };
    note(answer.differing, QString(), NoteKind::Warning);
    for (const EncoderCheck::Answer::Differing& clip : answer.encodedToMatch)
        note({clip},
             clip.soundOnly ? QStringLiteral("Its sound is re-encoded to match the others': ")
                            : QStringLiteral("Re-encoded to match the others: "),
             NoteKind::Information);
    // Where a cut moves, the row tells from where to where.
    for (const vantomel::MovedLine& point : answer.moved) {
        const int row = point.input - 1;
        if (row < 0 || row >= m_model.rowCount())
            continue;
        const QString note =
            QStringLiteral("The %1 point %2 of %3 moves to %4 %5")
                .arg(point.outPoint ? QStringLiteral("out") : QStringLiteral("in"),
                     PointText(point.from), QString::fromStdString(point.clip),
                     point.toEnd ? QStringLiteral("the end at") : QStringLiteral("the keyframe at"),
                     PointText(point.to));
        const QString earlier = m_model.index(row, 0).data(TaskListModel::CopyNoteRole).toString();
        m_model.setCopyNote(row, earlier.isEmpty() ? note : earlier + QLatin1Char('\n') + note);
    }
    m_line.setText(shown);
    m_line.setVisible(true);
}

void CopyOutlookLine::withdraw()
{
    m_named.clear();
    m_model.clearCopyNotes();
    m_line.setVisible(false);
    m_line.setToolTip(QString());
}
