#pragma once

#include "app/ProgramInfo.h"
#include "platform/Seams.h"

#include <QDialog>
#include <QPointer>
#include <memory>

namespace Ui {
class TAboutForm;
}

// The About box: the program's name, version and copyright line, and links to the maker's web
// page, its support and sales addresses and three other products. Created once at start-up,
// hidden; it disables the main window while it is shown.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    // mainWindow is disabled while the box is shown; it is not the box's parent.
    TAboutForm(Shell& shell, const ProgramInfo& info, QWidget* mainWindow,
               QWidget* parent = nullptr);
    ~TAboutForm() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void btnOKClick();
    void labWebsiteClick();
    void labMoreClick();
    void btnTechClick();
    void btnSalesClick();
    void Label8Click();
    void Label9Click();
    void Label10Click();
    void openSiblingPage(std::size_t sibling);

    Shell& m_shell;
    ProgramInfo m_info;
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<Ui::TAboutForm> ui;
};
