#include "FrameRateBox.h"

#include "prefs/Preferences.h"

#include <QComboBox>

void fillFrameRateBox(QComboBox* box)
{
    box->clear();
    box->addItems({QStringLiteral("Same as the first video"), QStringLiteral("23.976"),
                   QStringLiteral("24"), QStringLiteral("25"), QStringLiteral("29.97"),
                   QStringLiteral("30"), QStringLiteral("50"), QStringLiteral("59.94"),
                   QStringLiteral("60")});
}

void showFrameRate(QComboBox* box, const QString& rate)
{
    if (rate == prefs::kFirstVideoFrameRate) {
        box->setCurrentIndex(0);
        return;
    }
    if (box->findText(rate) < 0)
        box->addItem(rate);
    box->setCurrentText(rate);
}

QString frameRateInBox(const QComboBox* box)
{
    return box->currentIndex() == 0 ? prefs::kFirstVideoFrameRate : box->currentText();
}
