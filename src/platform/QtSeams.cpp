#include "QtSeams.h"

#include "FileFilter.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

void QtMessages::info(QWidget* owner, const QString& caption, const QString& text)
{
    QMessageBox::information(owner, caption, text);
}

bool QtMessages::ask(QWidget* owner, const QString& caption, const QString& text)
{
    return QMessageBox::question(owner, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void QtMessages::error(QWidget* owner, const QString& text)
{
    QMessageBox::critical(owner, QApplication::applicationDisplayName(), text);
}

void QtMessages::plain(const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.exec();
}

void QtShell::open(QWidget*, const QString& pathOrUrl)
{
    const QUrl url =
        pathOrUrl.contains(QLatin1String("://")) || pathOrUrl.startsWith(QLatin1String("mailto:"))
            ? QUrl(pathOrUrl)
            : QUrl::fromLocalFile(pathOrUrl);
    QDesktopServices::openUrl(url);
}

QStringList QtDialogs::openFiles(QWidget* owner, const QString& filter)
{
    QFileDialog dialog(owner);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(qtNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString QtDialogs::saveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(qtNameFilters(filter));
    dialog.setDefaultSuffix(defaultSuffix);
    // Start asks before overwriting, not the dialog.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::browseForFolder(QWidget* owner, const QString& title)
{
    return QFileDialog::getExistingDirectory(owner, title);
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
