#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TSettingForm;
}

class TSettingForm : public QDialog
{
    Q_OBJECT

public:
    explicit TSettingForm(QWidget* parent = nullptr);
    ~TSettingForm() override;

private:
    std::unique_ptr<Ui::TSettingForm> ui;
};
