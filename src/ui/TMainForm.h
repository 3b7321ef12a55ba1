#pragma once

#include "app/ProgramInfo.h"
#include "platform/Seams.h"

#include <QMainWindow>
#include <memory>

namespace Ui {
class TMainForm;
}
class TAboutForm;
class TopSettingForm;
class TSettingForm;

class TMainForm : public QMainWindow
{
    Q_OBJECT

public:
    // executablePath fixes the program directory, where every companion file is looked up.
    TMainForm(Seams seams, const QString& executablePath, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The dialogs are created after the main window; start-up hands them over once they exist.
    void attachDialogs(TAboutForm* about, TopSettingForm* outputSettings, TSettingForm* settings);

    const ProgramInfo& programInfo() const { return m_info; }

private:
    void FormCreate(const QString& executablePath);

    Seams m_seams;
    ProgramInfo m_info;
    std::unique_ptr<Ui::TMainForm> ui;
    TAboutForm* m_aboutForm = nullptr;
    TopSettingForm* m_opSettingForm = nullptr;
    TSettingForm* m_settingForm = nullptr;
};
