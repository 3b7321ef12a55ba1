#include "OutputTracksLine.h"

#include "TrackNames.h"

#include "OutputContainers.h"
#include "job/CopyOutlook.h"
#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"

#include <QLabel>

OutputTracksLine::OutputTracksLine(QLabel& line, const CurrentProfile& profile, QObject* parent)
    : QObject(parent), m_line(line), m_profile(profile)
{
    m_line.setTextFormat(Qt::RichText);
    refresh();
}

void OutputTracksLine::follow(const CopyOutlook& outlook)
{
    connect(&outlook, &CopyOutlook::answered, this, [this](const EncoderCheck::Answer& answer) {
        if (answer.kind == EncoderCheck::Answer::Kind::Accepted)
            m_found = answer.tracks;
        else
            m_found.reset();
        refresh();
    });
    connect(&outlook, &CopyOutlook::withdrawn, this, [this] {
        m_found.reset();
        refresh();
    });
}

void OutputTracksLine::refresh()
{
    const vantomel::OutputContainer* container =
        vantomel::containerWithExtension(m_profile.outputExtension().mid(1).toStdString());
    const QString name =
        container ? QString::fromUtf8(container->name.data(), qsizetype(container->name.size()))
                  : QStringLiteral("the output");
    QString text = QStringLiteral("Tracks: the picture");
    if (!copiesVideo(m_profile)) {
        text += container && container->oneSoundTrack
                    ? QStringLiteral(" and the first sound track of the videos, which is all %1 "
                                     "keeps")
                          .arg(name)
                    : QStringLiteral(" and every sound track of the videos; subtitles and data "
                                     "tracks are dropped");
    } else if (!m_found) {
        text += QStringLiteral(" and every sound, subtitle and data track of the videos that %1 "
                               "keeps")
                    .arg(name);
    } else {
        const auto [kept, dropped] = keptTracks(*m_found);
        text += kept.isEmpty() ? QStringLiteral(" alone") : "; " + tracksListed(kept);
        if (!dropped.isEmpty())
            text += QStringLiteral("; dropped: ") + tracksListed(dropped);
    }
    m_line.setText(text);
}
