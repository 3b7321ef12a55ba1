#pragma once

#include <QString>
#include <array>

// A directory text that ends in exactly one "/" ("" stays "", "/" stays "/").
QString withTrailingSlash(const QString& directory);

// The executable's directory with a trailing "/": every companion file is looked up there.
QString programDirectoryOf(const QString& executablePath);

struct SiblingProduct
{
    QString name;
    QString page;
};

// The program's identity and its companion files, fixed at start-up and read-only afterwards.
struct ProgramInfo
{
    QString productName;
    QString webPage;
    QString companyName;
    QString supportEmail;
    QString salesEmail;
    std::array<SiblingProduct, 3> siblings;

    QString programDirectory;
    QString version;

    QString encoderPath() const { return programDirectory + QStringLiteral("asapi.dll"); }
    QString helpFilePath() const { return programDirectory + QStringLiteral("Pellisade.chm"); }
    QString profilesDirectory() const { return programDirectory + QStringLiteral("Profiles/"); }
    QString preferencesPath() const;
    // The product name, a blank, "V" and the version exactly as stored: "Vantomel V1.5".
    QString caption() const { return productName + QStringLiteral(" V") + version; }
};

// The identity constants with the given program directory and version string.
ProgramInfo InitProgramInfo(const QString& programDirectory, const QString& version);
