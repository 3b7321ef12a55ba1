#include "ProgressTracker.h"

#include "EncoderContract.h"

#include <cfenv>
#include <cmath>

int barPosition(double percent)
{
    if (std::isnan(percent) || percent <= 0)
        return 0;
    if (percent >= 100)
        return 100;
    // nearbyint rounds half to even in the default rounding mode.
    return static_cast<int>(std::nearbyint(percent));
}

void ProgressTracker::beginRun(const RunDurations& durations)
{
    m_durations = durations;
    m_position = 0;
    m_chunkIndex = 0;
}

std::optional<int> currentBarAt(double position, double reference)
{
    if (reference == 0)
        return std::nullopt;
    return barPosition(position / reference * 100);
}

std::optional<int> totalBarAt(double covered, double total, const ProgressRules& rules)
{
    if (total == 0)
        return std::nullopt;
    // The offset is even, so adding it before rounding half to even changes nothing; a share of
    // one half scales exactly.
    return barPosition(covered / total * 100 * rules.totalBarShare + rules.totalBarOffset);
}

bool ProgressTracker::readChunk(const QString& chunk, const std::function<void()>& pumpEvents)
{
    const int index = m_chunkIndex++;
    if (index < 20)
        return false;

    const QByteArray bytes = chunk.toLocal8Bit();
    if (const std::optional<std::string_view> text =
            vantomel::statusPositionText({bytes.data(), std::size_t(bytes.size())}))
        m_positionText = QString::fromLocal8Bit(text->data(), qsizetype(text->size()));
    if (m_rules.pumpBeforeUpdate && pumpEvents)
        pumpEvents();

    bool ok = false;
    const double number = m_positionText.trimmed().toDouble(&ok);
    if (ok && std::isfinite(number) && (!m_rules.forwardOnly || number > m_position))
        m_position = number;
    return true;
}

BarUpdate ProgressTracker::bars() const
{
    return {currentBarAt(m_position, m_durations.reference),
            totalBarAt(m_durations.completed + m_position, m_durations.total, m_rules)};
}
