#include "TSettingForm.h"

#include "ui_TSettingForm.h"

TSettingForm::TSettingForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TSettingForm>())
{
    ui->setupUi(this);
}

TSettingForm::~TSettingForm() = default;
