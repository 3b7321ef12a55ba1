#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutForm;
}

class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutForm(QWidget* parent = nullptr);
    ~TAboutForm() override;

private:
    std::unique_ptr<Ui::TAboutForm> ui;
};
