#pragma once

#include "job/EncoderCommand.h"
#include "support/Clips.h"

#include <QProcess>
#include <QStringList>
#include <sys/resource.h>

// One run of the real encoder program, asapi.dll in the program directory.
struct EncoderProgramRun
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray output; // standard output: the status lines and the summary
    QByteArray errors; // standard error: the messages
};

inline QString encoderProgram()
{
    return programDirectory() + QStringLiteral("asapi.dll");
}

// The program splits only the option text at blanks; paths stay whole arguments.
inline QStringList optionWords(const QString& options)
{
    return options.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// openFiles, when given: how many files the encoder may hold open at once.
inline EncoderProgramRun runEncoder(const QStringList& arguments, rlim_t openFiles = 0)
{
    QProcess process;
    if (openFiles > 0)
        process.setChildProcessModifier([openFiles] {
            const rlimit limit{openFiles, openFiles};
            setrlimit(RLIMIT_NOFILE, &limit);
        });
    process.start(encoderProgram(), arguments);
    process.waitForFinished(120000);
    EncoderProgramRun run;
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    return run;
}

// The program's conversion command line: input, intermediate, common shape.
inline EncoderProgramRun convertToIntermediate(const QString& input, const QString& intermediate,
                                               const QString& size)
{
    return runEncoder(conversionCommand({input}, intermediate, PictureRules{size}).arguments);
}
