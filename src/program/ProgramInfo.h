#pragma once

#include <QString>
#include <array>

// The executable's directory with a trailing "/": the program directory.
QString programDirectoryOf(const QString& executablePath);

// A project the program builds on, linked from the About box.
struct ProjectLink
{
    QString name;
    QString page;
};

// The program's identity, fixed at start-up and read-only afterwards. Where its files are is
// ProgramPlaces.
struct ProgramInfo
{
    QString productName;
    QString webPage;
    QString companyName;
    QString supportEmail;
    QString salesEmail;
    std::array<ProjectLink, 3> projectsBuiltOn;

    QString version;

    // The product name, a blank, "V" and the version exactly as stored: "Vantomel V1.5".
    QString caption() const { return productName + QStringLiteral(" V") + version; }
};

// The identity constants with the given version string.
ProgramInfo InitProgramInfo(const QString& version);
