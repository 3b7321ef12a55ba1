#include "TAboutForm.h"

#include "ui_TAboutForm.h"

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutForm>())
{
    ui->setupUi(this);
}

TAboutForm::~TAboutForm() = default;
