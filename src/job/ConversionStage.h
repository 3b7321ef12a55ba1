#pragma once

#include "EncoderCommand.h"
#include "FileStamp.h"
#include "JobContext.h"
#include "ProgressTracker.h"
#include "StageOutcome.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <vector>

class EncoderRun;

// Converts every row into job folder + index + ".avi": the job's picture size and frame rate,
// MP3 audio. Up to `runsAtOnce` conversions run side by side, started in list order; each
// row shows its own status, the file name and the current bar follow the earliest row not yet
// converted, and the total bar (0 to 50) counts the work of all of them. Ends at the first run
// that is stopped or fails, and then ends the others too. With one run at a time the rows are
// converted one after another.
class ConversionStage
{
public:
    explicit ConversionStage(const JobContext& context) : m_job(context) {}

    StageOutcome run(const PictureRules& pictures, const QString& jobFolder, int runsAtOnce = 1);
    // After run: the inputs converted with silence because their sound could not be decoded, in
    // list order.
    QStringList silencedInputs() const;

private:
    // One place for a run, free or converting a row.
    struct Conversion
    {
        EncoderRun* encoder = nullptr;
        ProgressTracker tracker{ProgressRules::conversion()};
        int row = -1; // -1: free
        double duration = 0;
        QString intermediate;
        FileStamp before;
    };

    bool startRun(Conversion& conversion, int row, const PictureRules& pictures,
                  const QString& jobFolder);
    // Kills every other run, waits until they have exited, and names their rows in the outcome.
    StageOutcome endOthers(StageOutcome outcome);
    // The running conversion of the earliest row not yet converted; none between runs.
    const Conversion* earliestRunning() const;
    void showProgress();
    // A row was converted: its status, and the file name and current bar of the next one.
    void rowConverted(Conversion& conversion);

    const JobContext& m_job;
    std::vector<Conversion> m_conversions;
    QList<JobClip> m_clips; // the rows', read once when the stage begins
    double m_total = 0;
    double m_completed = 0; // the durations of the rows converted
    int m_nextRow = 0;      // the first row not started
    // By row: the conversions end in any order.
    QMap<int, QStringList> m_silencedInputs;
};
