#pragma once

#include "JobView.h"

class CurrentProfile;

// What the job writes, from the current profile as the Output Settings dialog left it.
class CurrentProfileOutput : public JobOutput
{
public:
    explicit CurrentProfileOutput(const CurrentProfile& profile) : m_profile(profile) {}

    QString outputExtension() const override;
    QString pictureSizeText() const override;
    QString displayAspectText() const override;
    QString encoderOptions() const override;
    bool audioBitrateInvalid() const override;
    bool copiesVideo() const override;
    std::optional<OutputRefusal> valueRefusal() const override;

private:
    const CurrentProfile& m_profile;
};
