#pragma once

#include "Seams.h"

// The seams on a real desktop.

class QtMessages : public Messages
{
public:
    void info(QWidget* owner, const QString& caption, const QString& text) override;
    bool ask(QWidget* owner, const QString& caption, const QString& text) override;
    void error(QWidget* owner, const QString& text) override;
    void plain(const QString& title, const QString& text) override;
};

class QtShell : public Shell
{
public:
    void open(QWidget* owner, const QString& pathOrUrl) override;
};

class QtDialogs : public Dialogs
{
public:
    QStringList openFiles(QWidget* owner, const QString& filter) override;
    QString saveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) override;
    QString browseForFolder(QWidget* owner, const QString& title) override;
};

// Power-off through logind, which asks the user for authorisation where the policy wants it.
class LogindPower : public Power
{
public:
    bool powerOff() override;
};
