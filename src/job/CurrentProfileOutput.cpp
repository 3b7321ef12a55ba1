#include "CurrentProfileOutput.h"

#include "profiles/CurrentProfile.h"
#include "profiles/EncoderOptions.h"
#include "profiles/SelectionChecks.h"

QString CurrentProfileOutput::outputExtension() const
{
    return m_profile.outputExtension();
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
