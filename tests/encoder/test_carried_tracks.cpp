// How a join matches the clips' sound, subtitle and data streams to its tracks.
#include "CarriedTracks.h"

#include <QtTest>

using asapi::TrackSource;

namespace {

// "a:eng" a sound stream in English, "a" one that states no language, "s:mov_text" subtitles
// of that codec, "d:gpmd" a data track with that tag; each clip's streams numbered from 1 in the
// order given.
std::vector<TrackSource> sources(const QString& clip)
{
    std::vector<TrackSource> streams;
    for (const QString& word : clip.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString type = word.section(QLatin1Char(':'), 0, 0);
        const QString detail = word.section(QLatin1Char(':'), 1);
        TrackSource source;
        source.index = static_cast<int>(streams.size()) + 1;
        source.type = type == "a"   ? AVMEDIA_TYPE_AUDIO
                      : type == "s" ? AVMEDIA_TYPE_SUBTITLE
                                    : AVMEDIA_TYPE_DATA;
        if (type == "a")
            source.language = detail.toStdString();
        else
            source.kind = qHash(detail);
        streams.push_back(source);
    }
    return streams;
}

} // namespace

class CarriedTracksTest : public QObject
{
    Q_OBJECT

private slots:
    // Each track as the streams of the clips that fill it, "-" where a clip has none.
    void streamsGoToTheTrackOfTheirKindAndLanguage_data()
    {
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<QStringList>("tracks");
        QTest::newRow("by order") << QStringList{"a a", "a a"} << QStringList{"1 1", "2 2"};
        QTest::newRow("by language")
            << QStringList{"a:eng a:fra", "a:fra a:eng"} << QStringList{"1 2", "2 1"};
        QTest::newRow("its language before an unstated one")
            << QStringList{"a a:eng", "a:eng"} << QStringList{"1 -", "2 1"};
        QTest::newRow("a language left unstated goes in order")
            << QStringList{"a:eng a:fra", "a a"} << QStringList{"1 1", "2 2"};
        QTest::newRow("a track a clip lacks")
            << QStringList{"a:eng a:fra", "a:fra", "a:eng a:fra"} << QStringList{"1 - 1", "2 1 2"};
        QTest::newRow("a track only a later clip brings")
            << QStringList{"a:eng s:mov_text", "a:eng a:deu"} << QStringList{"1 1", "- 2", "2 -"};
        QTest::newRow("subtitles of another codec, data of another tag")
            << QStringList{"s:mov_text d:gpmd", "s:subrip d:gpmd"}
            << QStringList{"1 -", "- 1", "2 2"};
    }

    void streamsGoToTheTrackOfTheirKindAndLanguage()
    {
        QFETCH(QStringList, clips);
        QFETCH(QStringList, tracks);
        std::vector<std::vector<TrackSource>> inputs;
        for (const QString& clip : clips)
            inputs.push_back(sources(clip));
        QStringList found;
        for (const asapi::CarriedTrack& track : asapi::carriedTracks(inputs)) {
            QStringList streams;
            for (const int stream : track.streams)
                streams << (stream < 0 ? QStringLiteral("-") : QString::number(stream));
            found << streams.join(QLatin1Char(' '));
        }
        QCOMPARE(found, tracks);
    }
};

QTEST_APPLESS_MAIN(CarriedTracksTest)
#include "test_carried_tracks.moc"
