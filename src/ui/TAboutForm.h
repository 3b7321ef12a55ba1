#pragma once

#include "OwnedDialog.h"
#include "platform/Seams.h"
#include "program/ProgramInfo.h"

#include <memory>

namespace Ui {
class TAboutForm;
}

// The About box: the program's name, version and copyright line, and links to the maker's web
// page, its support and sales addresses and the three projects it builds on. A dialog of the main
// window.
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
    // labBuiltOn1, labBuiltOn2 and labBuiltOn3 link the projects the program builds on.
    void openProjectPage(std::size_t project);

    Shell& m_shell;
    ProgramInfo m_info;
    std::unique_ptr<Ui::TAboutForm> ui;
};
