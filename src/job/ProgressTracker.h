#pragma once

#include <QString>
#include <functional>
#include <optional>

// Turns the encoder's "Pos: 12.3s" reports into the two progress bars. The stages differ only in
// the rules below.
struct ProgressRules
{
    // The total bar covers the conversion in 0..50 and the join in 50..100; a join in one pass
    // covers all of it.
    int totalBarOffset = 0;
    double totalBarShare = 0.5;
    // The join's position only moves forward; a conversion takes every reported number.
    bool forwardOnly = false;
    // The conversion handles pending events once more before updating the bars.
    bool pumpBeforeUpdate = true;

    static ProgressRules conversion() { return {0, 0.5, false, true}; }
    static ProgressRules join() { return {50, 0.5, true, false}; }
    static ProgressRules onePassJoin() { return {0, 1.0, true, false}; }
};

struct RunDurations
{
    double reference = 0; // the current bar's 100%
    double completed = 0; // what earlier runs of the stage already covered
    double total = 0;     // the whole stage
};

// New bar positions; a bar whose duration is 0 is left alone.
struct BarUpdate
{
    std::optional<int> current;
    std::optional<int> total;
};

// Rounds half to even and holds the result in 0..100.
int barPosition(double percent);
// The current bar at `position` seconds of `reference`; nothing when the reference is 0.
std::optional<int> currentBarAt(double position, double reference);
// The total bar when `covered` seconds of the stage's `total` are done; nothing when the total
// is 0.
std::optional<int> totalBarAt(double covered, double total, const ProgressRules& rules);

class ProgressTracker
{
public:
    explicit ProgressTracker(ProgressRules rules) : m_rules(rules) {}

    const ProgressRules& rules() const { return m_rules; }

    // A new encoder run: position 0 and the chunk count from 0. The position text is kept from
    // the previous run of the stage.
    void beginRun(const RunDurations& durations);

    // The first 20 chunks of a run are never parsed (the encoder's banner): they give false.
    // From then on every chunk takes the text after its first "Pos:", cut before the first "s",
    // as the position text (a chunk without "Pos:" keeps the previous text), handles pending
    // events when the rules say so, and takes the text as the position when it is a number.
    bool readChunk(const QString& chunk, const std::function<void()>& pumpEvents);
    // A chunk of this run has been parsed: the bars follow its position.
    bool isReporting() const { return m_chunkIndex > 20; }
    // The bars at the position under the run's durations.
    BarUpdate bars() const;

    double position() const { return m_position; }
    const QString& positionText() const { return m_positionText; }

private:
    ProgressRules m_rules;
    RunDurations m_durations;
    QString m_positionText;
    double m_position = 0;
    int m_chunkIndex = 0;
};
