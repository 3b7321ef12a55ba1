#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TopSettingForm;
}

class TopSettingForm : public QDialog
{
    Q_OBJECT

public:
    explicit TopSettingForm(QWidget* parent = nullptr);
    ~TopSettingForm() override;

private:
    std::unique_ptr<Ui::TopSettingForm> ui;
};
