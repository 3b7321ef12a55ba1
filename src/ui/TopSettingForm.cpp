#include "TopSettingForm.h"

#include "ui_TopSettingForm.h"

TopSettingForm::TopSettingForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TopSettingForm>())
{
    ui->setupUi(this);
}

TopSettingForm::~TopSettingForm() = default;
