#pragma once

#include <QString>

class QComboBox;

// The frame rate boxes of the General Settings and the Output Settings, which show one setting:
// the first choice stands for the first video's rate, the others are the rates themselves.
void fillFrameRateBox(QComboBox* box);
// A rate written into the preferences by hand is offered as it stands.
void showFrameRate(QComboBox* box, const QString& rate);
// The rate as the settings hold it: "30", ..., or the first video's.
QString frameRateInBox(const QComboBox* box);
