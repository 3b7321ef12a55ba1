#pragma once

#include "app/Startup.h"
#include "job/JobFolder.h"
#include "job/JoinJob.h"
#include "tasks/TaskListModel.h"
#include "ui/TMainForm.h"

#include "ui/TopSettingForm.h"
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

inline QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// What a folder holds: files and folders, hidden ones too.
inline QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// A program directory of its own: copies of the built encoder and the shipped profiles, and a
// Preferences.ini written here, so that nothing in the build's program directory is touched.
// Its temporary folder is "work/".
class ProgramCopy
{
public:
    explicit ProgramCopy(const QString& builtProgramDirectory)
    {
        const QDir built(builtProgramDirectory);
        m_valid = m_dir.isValid() && QDir().mkpath(m_dir.filePath(QStringLiteral("Profiles"))) &&
                  QFile::copy(built.filePath(QStringLiteral("asapi.dll")),
                              m_dir.filePath(QStringLiteral("asapi.dll")));
        const QDir shipped(built.filePath(QStringLiteral("Profiles")));
        for (const QString& name : shipped.entryList({QStringLiteral("*.bpf")}, QDir::Files))
            m_valid = m_valid && QFile::copy(shipped.filePath(name),
                                             m_dir.filePath(QStringLiteral("Profiles/") + name));
        writePreferences();
    }

    bool isValid() const { return m_valid; }
    QString directory() const { return m_dir.path() + QLatin1Char('/'); }
    QString executable() const { return directory() + QStringLiteral("vantomel"); }
    QString preferencesPath() const { return directory() + QStringLiteral("Preferences.ini"); }
    QString tempDir() const { return directory() + QStringLiteral("work/"); }
    QStringList leftInTempDir() const { return folderEntries(tempDir()); }
    // The encoder logs that failed jobs kept: each in a job folder that holds nothing else.
    QStringList keptLogs() const
    {
        QStringList logs;
        for (const QString& name : leftInTempDir())
            if (folderEntries(tempDir() + name) == QStringList{kJobFolderLogName})
                logs << tempDir() + name + QLatin1Char('/') + kJobFolderLogName;
        return logs;
    }
    // Removes the kept logs' folders, so that the next test finds the folder as it was.
    void removeKeptLogs() const
    {
        for (const QString& log : keptLogs())
            QFileInfo(log).dir().removeRecursively();
    }
    // What the temporary folder holds beside the kept logs' folders.
    QStringList leftInTempDirBesideLogs() const
    {
        QStringList left = leftInTempDir();
        for (const QString& log : keptLogs())
            left.removeOne(QFileInfo(log).dir().dirName());
        return left;
    }

    // Another program in place of the encoder, such as the fake one.
    bool useEncoder(const QString& encoder) const
    {
        const QString installed = m_dir.filePath(QStringLiteral("asapi.dll"));
        return QFile::remove(installed) && QFile::copy(encoder, installed);
    }

    // Overwrites without asking; no completion action beyond the message.
    void writePreferences(const QByteArray& extraMainKeys = {})
    {
        QFile file(preferencesPath());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            m_valid = false;
            return;
        }
        file.write("[Main]\r\nVersion=1.5\r\nOutput File=\r\nTemp Dir=" + tempDir().toLocal8Bit() +
                   "\r\nAuto Open Dir=0\r\nAuto Exit=0\r\nAuto Turn Off=0\r\nAsk=0\r\n"
                   "Overwrite=1\r\nRename=0\r\nProfile=0\r\n" +
                   extraMainKeys);
    }

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

// The real windows of a program copy, driven as a user would: pick a profile, type the output
// file, press Start and Stop.
class RealWindows
{
public:
    RealWindows(Seams seams, const ProgramCopy& program, const QStringList& inputs)
        : RealWindows(seams, program.executable(), inputs)
    {
    }
    RealWindows(Seams seams, const QString& executable, const QStringList& inputs)
        : m_startup(std::make_unique<Startup>(seams, executable, inputs))
    {
        main().show();
    }

    TMainForm& main() const { return m_startup->mainForm(); }
    Startup& startup() const { return *m_startup; }

    template <typename T> T* control(const char* name) const
    {
        return main().findChild<T*>(QString::fromLatin1(name));
    }

    bool selectProfile(const QString& name) const
    {
        auto* box = control<QComboBox>("cmbProfile");
        const int index = box->findText(name);
        box->setCurrentIndex(index);
        return index >= 0;
    }
    // As the user would: in the Output Settings, then OK.
    void chooseInOutputSettings(const char* box, int index) const
    {
        TopSettingForm& settings = m_startup->opSettingForm();
        settings.findChild<QComboBox*>(QString::fromLatin1(box))->setCurrentIndex(index);
        settings.findChild<QPushButton*>(QStringLiteral("btnOK"))->click();
    }
    void setOutputFile(const QString& path) const
    {
        control<QLineEdit>("edtOutputFile")->setText(path);
    }
    QString outputFile() const { return control<QLineEdit>("edtOutputFile")->text(); }

    // Returns when the job is over: the press only queues the job, delivering it runs it.
    void pressStart() const
    {
        control<QAction>("tbtnStart")->trigger();
        QCoreApplication::sendPostedEvents(&main(), QEvent::MetaCall);
    }
    void pressStop() const { control<QAction>("tbtnStop")->trigger(); }
    // How many conversions run side by side, whatever the machine's cores.
    void setConversionRunsAtOnce(int runs) const { main().job()->setConversionRunsAtOnce(runs); }

    QStringList statuses() const
    {
        const TaskListModel& rows = main().taskList();
        QStringList texts;
        for (int row = 0; row < rows.rowCount(); ++row)
            texts << rows.index(row, TaskListModel::Status).data().toString();
        return texts;
    }

    // Start can be pressed again: the window unlocked, the settings panel in place.
    bool isReadyForAJob() const
    {
        return control<QAction>("tbtnStart")->isEnabled() &&
               !control<QAction>("tbtnStop")->isEnabled() &&
               control<QAbstractItemView>("ltvTask")->viewport()->isEnabled() &&
               control<QWidget>("panBottomCenter")->isVisible() &&
               !control<QWidget>("panBottomLeft")->isVisible();
    }

private:
    std::unique_ptr<Startup> m_startup;
};
