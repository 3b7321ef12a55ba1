#include "CurrentProfileOutput.h"

#include "paths/PathText.h"
#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"
#include "profiles/SelectionChecks.h"

namespace {

QString kindText(OptionValueKind kind)
{
    switch (kind) {
    case OptionValueKind::Integer:
        return QStringLiteral("a number");
    case OptionValueKind::Word:
        return QStringLiteral("one word");
    case OptionValueKind::Size:
        return QStringLiteral("a size such as 640:480");
    case OptionValueKind::Aspect:
        return QStringLiteral("an aspect such as 16:9");
    }
    return QString();
}

// A damaged value can be any length; its beginning shows what it is.
QString shownValue(const QString& value)
{
    constexpr qsizetype kLongest = 100;
    return value.size() > kLongest ? value.left(kLongest) + QStringLiteral("...") : value;
}

} // namespace

QString CurrentProfileOutput::outputExtension() const
{
    // A type that is no word is refused at Start; until then no output name takes it.
    const QString extension = m_profile.outputExtension();
    return isOptionValue(extension.mid(1), OptionValueKind::Word) ? extension : QString();
}

QString CurrentProfileOutput::pictureSizeText() const
{
    return ::pictureSizeText(m_profile);
}

QString CurrentProfileOutput::displayAspectText() const
{
    return chosenAspectText(m_profile);
}

QString CurrentProfileOutput::encoderOptions() const
{
    return GetEncoderOptions(m_profile);
}

bool CurrentProfileOutput::audioBitrateInvalid() const
{
    return checkSelectionForStart(m_profile.selection()).has_value();
}

bool CurrentProfileOutput::copiesVideo() const
{
    return ::copiesVideo(m_profile);
}

std::optional<OutputRefusal> CurrentProfileOutput::valueRefusal() const
{
    const std::optional<OptionValueProblem> problem = checkOptionValues(m_profile);
    if (!problem)
        return std::nullopt;
    // What was typed is refused as the dialog's OK refuses it.
    if (problem->typedBox) {
        const SelectionRefusal refusal = invalidBoxRefusal(*problem->typedBox);
        return OutputRefusal{refusal.caption, refusal.text};
    }
    if (problem->key == QLatin1String("Index"))
        return OutputRefusal{
            QStringLiteral("Invalid Profile"),
            QStringLiteral("The profile %1 cannot be used: [%2] selects none of its choices.\n%3")
                .arg(baseNameOf(m_profile.path()), problem->section, m_profile.path())};
    return OutputRefusal{
        QStringLiteral("Invalid Profile"),
        QStringLiteral("The profile %1 cannot be used: %2 in [%3] is not %4: \"%5\".\n%6")
            .arg(baseNameOf(m_profile.path()), problem->key, problem->section,
                 kindText(problem->kind), shownValue(problem->value), m_profile.path())};
}
