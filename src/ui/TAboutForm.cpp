#include "TAboutForm.h"

#include "ui_TAboutForm.h"

#include <QPainter>

namespace {

// Three clips running into one: what the program does, drawn for the left of the upper band.
QPixmap joinedClipsPicture(const QSize& size)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor clipColours[] = {QColor(0x2f, 0x6f, 0xb5), QColor(0x3f, 0x9a, 0x5a),
                                  QColor(0xd0, 0x7a, 0x25)};
    const int clipHeight = 18;
    const int joinX = size.width() * 3 / 5;
    for (int i = 0; i < 3; ++i) {
        const int y = 40 + i * (clipHeight + 14);
        painter.setPen(Qt::NoPen);
        painter.setBrush(clipColours[i]);
        painter.drawRoundedRect(QRectF(14, y, joinX - 24, clipHeight), 3, 3);
        painter.setPen(QPen(clipColours[i], 3));
        painter.drawLine(QPointF(joinX - 10, y + clipHeight / 2.0),
                         QPointF(joinX + 6, size.height() / 2.0));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x22, 0x33, 0x55));
    painter.drawRoundedRect(QRectF(joinX + 4, size.height() / 2.0 - 14, 30, 28), 4, 4);
    return picture;
}

} // namespace

TAboutForm::TAboutForm(Shell& shell, const ProgramInfo& info, QWidget* mainWindow)
    : OwnedDialog(mainWindow), m_shell(shell), m_info(info), ui(std::make_unique<Ui::TAboutForm>())
{
    ui->setupUi(this);
    ui->imgLogo->setPixmap(joinedClipsPicture(ui->imgLogo->minimumSize()));

    connect(ui->btnOK, &QPushButton::clicked, this, &TAboutForm::btnOKClick);
    connect(ui->labWebsite, &LinkLabel::clicked, this, &TAboutForm::labWebsiteClick);
    connect(ui->labMore, &LinkLabel::clicked, this, &TAboutForm::labMoreClick);
    connect(ui->btnTech, &QPushButton::clicked, this, &TAboutForm::btnTechClick);
    connect(ui->btnSales, &QPushButton::clicked, this, &TAboutForm::btnSalesClick);
    connect(ui->labBuiltOn1, &LinkLabel::clicked, this, [this] { openProjectPage(0); });
    connect(ui->labBuiltOn2, &LinkLabel::clicked, this, [this] { openProjectPage(1); });
    connect(ui->labBuiltOn3, &LinkLabel::clicked, this, [this] { openProjectPage(2); });
    FormCreate();
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::FormCreate()
{
    ui->labProgramName->setText(m_info.productName);
    ui->labVersion->setText(QStringLiteral("Version ") + m_info.version);
    ui->labCopyright->setText(QStringLiteral("Copyright (C) ") + m_info.companyName);
    ui->labWebsite->setText(m_info.webPage);
    ui->labBuiltOn1->setText(m_info.projectsBuiltOn[0].name);
    ui->labBuiltOn2->setText(m_info.projectsBuiltOn[1].name);
    ui->labBuiltOn3->setText(m_info.projectsBuiltOn[2].name);
}

void TAboutForm::btnOKClick()
{
    close();
}

void TAboutForm::labWebsiteClick()
{
    m_shell.open(this, ui->labWebsite->text());
}

void TAboutForm::labMoreClick()
{
    m_shell.open(this, m_info.webPage);
}

void TAboutForm::btnTechClick()
{
    m_shell.open(this, QStringLiteral("mailto:") + m_info.supportEmail);
}

void TAboutForm::btnSalesClick()
{
    m_shell.open(this, QStringLiteral("mailto:") + m_info.salesEmail);
}

void TAboutForm::openProjectPage(std::size_t project)
{
    m_shell.open(this, m_info.projectsBuiltOn[project].page);
}
