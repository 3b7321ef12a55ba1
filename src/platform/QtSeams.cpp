#include "QtSeams.h"

#include "DialogFolders.h"
#include "FileFilter.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>
#include <QVariantMap>

#include <algorithm>

void QtMessages::info(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox::information(owner, caption, text);
}

namespace {

void showWithDetails(QMessageBox::Icon icon, QWidget* owner, const QString& caption,
                     const QString& text, const QString& details)
{
    // Qt's own button unfolds the details ("Show Details..."); its label is not Qt's to
    // change without reaching into the box's insides.
    QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.exec();
}

} // namespace

void QtMessages::infoWithDetails(QWidget* owner, const QString& caption, const QString& text,
                                 const QString& details)
{
    showWithDetails(QMessageBox::Information, owner, caption, text, details);
}

void QtMessages::errorWithDetails(QWidget* owner, const QString& caption, const QString& text,
                                  const QString& details)
{
    showWithDetails(QMessageBox::Critical, owner, caption, text, details);
}

bool QtMessages::ask(QWidget* owner, const QString& caption, const QString& text)
{
    return QMessageBox::question(owner, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtMessages::error(QWidget* owner, const QString& text)
{
    QMessageBox::critical(owner, m_applicationTitle, text);
}

void QtMessages::plain(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

AnswerForAll QtMessages::askForAll(QWidget* owner, const QString& caption, const QString& text)
{
    switch (QMessageBox::question(owner, caption, text,
                                  QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                                      QMessageBox::NoToAll,
                                  QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return AnswerForAll::Yes;
    case QMessageBox::YesToAll:
        return AnswerForAll::YesToAll;
    case QMessageBox::NoToAll:
        return AnswerForAll::NoToAll;
    default: // No, or the box closed without an answer
        return AnswerForAll::No;
    }
}

void QtShell::open(QWidget*, const QString& pathOrUrl)
{
    const QUrl url =
        pathOrUrl.contains(QLatin1String("://")) || pathOrUrl.startsWith(QLatin1String("mailto:"))
            ? QUrl(pathOrUrl)
            : QUrl::fromLocalFile(pathOrUrl);
    QDesktopServices::openUrl(url);
}

QtDialogs::QtDialogs(QString preferencesPath) : m_preferencesPath(std::move(preferencesPath)) {}

QStringList QtDialogs::openFiles(QWidget* owner, const QString& filter)
{
    QFileDialog dialog(owner);
    dialog.setDirectory(dialogStartFolder(readLastFolder(m_preferencesPath)));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(qtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    storeLastFolder(m_preferencesPath, folderToRemember(dialog.selectedFiles(), true));
    return dialog.selectedFiles();
}

QString QtDialogs::saveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                            ExistingFileQuestion question)
{
    QFileDialog dialog(owner);
    dialog.setDirectory(dialogStartFolder(readLastFolder(m_preferencesPath)));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(qtNameFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, question == ExistingFileQuestion::Caller);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    storeLastFolder(m_preferencesPath, folderToRemember(dialog.selectedFiles(), true));
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::browseForFolder(QWidget* owner, const QString& title)
{
    const QString folder = QFileDialog::getExistingDirectory(
        owner, title, dialogStartFolder(readLastFolder(m_preferencesPath)));
    storeLastFolder(m_preferencesPath, folderToRemember({folder}, false));
    return folder;
}

std::optional<QString> QtDialogs::askText(QWidget* owner, const QString& title,
                                          const QString& label, const QString& suggestion)
{
    QInputDialog dialog(owner);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setTextValue(suggestion);
    // Wide enough to show the suggested text whole, beside the field's frame and margins.
    const int width = dialog.fontMetrics().horizontalAdvance(suggestion) + 80;
    dialog.resize(std::max(dialog.sizeHint().width(), width), dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

bool LogindPower::powerOff()
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << true; // interactive: polkit may ask the user
    const QDBusMessage reply = QDBusConnection::systemBus().call(call);
    return reply.type() == QDBusMessage::ReplyMessage;
}

LauncherEntryTaskbar::LauncherEntryTaskbar(const QString& desktopFileName)
    : m_appUri(QStringLiteral("application://") + desktopFileName)
{
}

void LauncherEntryTaskbar::showProgress(int percent)
{
    update(qBound(0, percent, 100));
}

void LauncherEntryTaskbar::clearProgress()
{
    update(-1);
}

void LauncherEntryTaskbar::update(int percent)
{
    // The bars move with every chunk of encoder output; the bus hears only real changes.
    if (percent == m_shown)
        return;
    m_shown = percent;
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/com/canonical/unity/launcherentry/vantomel"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    const QVariantMap properties{{QStringLiteral("progress"), qMax(percent, 0) / 100.0},
                                 {QStringLiteral("progress-visible"), percent >= 0}};
    signal << m_appUri << properties;
    QDBusConnection::sessionBus().send(signal);
}

FreedesktopNotifications::FreedesktopNotifications(QString applicationName, QString desktopEntry)
    : m_applicationName(std::move(applicationName)), m_desktopEntry(std::move(desktopEntry))
{
}

void FreedesktopNotifications::notify(const QString& summary, const QString& body)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), m_desktopEntry}};
    call << m_applicationName << 0u << m_desktopEntry << summary << body << QStringList() << hints
         << -1;
    QDBusConnection::sessionBus().send(call);
}
