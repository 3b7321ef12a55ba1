#pragma once

#include <QString>

// The completion message of a join that wrote `written`, followed by what the check of the
// joined video adds ("\nThe joined video is ...").
inline QString completionText(const QString& written, const QString& checkLines = {})
{
    return QStringLiteral("The joining is completed successfully.\nThe video was written to ") +
           written + QLatin1Char('.') + checkLines;
}
