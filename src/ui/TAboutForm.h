#pragma once

#include "OwnedDialog.h"
#include "app/ProgramInfo.h"
#include "platform/Seams.h"

#include <memory>

namespace Ui {
class TAboutForm;
}

// The About box: the program's name, version and copyright line, and links to the maker's web
// page, its support and sales addresses and three other products. A dialog of the main window.
class TAboutForm : public OwnedDialog
{
    Q_OBJECT

public:
    TAboutForm(Shell& shell, const ProgramInfo& info, QWidget* mainWindow);
    ~TAboutForm() override;

private:
    void FormCreate();
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
    std::unique_ptr<Ui::TAboutForm> ui;
};
