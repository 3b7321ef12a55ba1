#pragma once

#include "JobClip.h"
#include "tasks/TaskRow.h"

#include <QString>
#include <optional>

class QWidget;

// What a join job shows and reads in its front end: the main window, or the terminal of a run
// without a window. The stages talk only to these, so that they can be tested without widgets.
class JobView
{
public:
    virtual ~JobView() = default;

    virtual QWidget* owner() = 0; // of the job's message boxes

    virtual void setProcessTitle(const QString& title) = 0;
    virtual void setConvertingFile(const QString& name) = 0;
    virtual void setConvertingFileVisible(bool visible) = 0;
    virtual void setElapsedText(const QString& text) = 0;
    virtual void setRemainingText(const QString& text) = 0;
    // A bar holds 0..100; its percentage label shows what the bar holds.
    virtual int currentBar() const = 0;
    virtual void setCurrentBar(int position) = 0;
    virtual int totalBar() const = 0;
    virtual void setTotalBar(int position) = 0;
    // true: the progress panel in place of the settings panel.
    virtual void showProgressPanel(bool show) = 0;
    // Locked: the editing buttons, Start, General Settings and the task list disabled, Stop
    // enabled.
    virtual void setLocked(bool locked) = 0;
    virtual void focusTaskList() = 0;
    virtual void focusOutputFile() = 0;

    virtual QString outputFileText() const = 0;
    virtual void setOutputFileText(const QString& text) = 0;

    // Handles every pending event: Stop, the timer, repainting.
    virtual void pumpEvents() = 0;
    // Closes the main window, which stores the preferences and ends the program; a run without a
    // window has none to close.
    virtual void closeWindow() = 0;
};

// The task list's rows as the job reads and marks them.
class TaskRows
{
public:
    virtual ~TaskRows() = default;
    virtual int count() const = 0;
    virtual JobClip clip(int row) const = 0;
    virtual void setStatus(int row, TaskStatus status) = 0;
};

// What the job writes, taken when it needs it from the current profile: the output extension,
// the picture size and the option text all come from the one profile the Output Settings dialog
// shows.
// Why the job cannot use what the output is to be made from: the message to refuse it with.
struct OutputRefusal
{
    QString caption;
    QString text;
};

class JobOutput
{
public:
    virtual ~JobOutput() = default;
    // "." + the output type of the profile last loaded.
    virtual QString outputExtension() const = 0;
    virtual QString pictureSizeText() const = 0;
    // The display aspect the profile gives the picture, "16:9"; empty: the picture size's own.
    virtual QString displayAspectText() const { return QString(); }
    virtual QString encoderOptions() const = 0;
    // The audio bitrate cannot be limited for "MP2" because it is not an integer.
    virtual bool audioBitrateInvalid() const = 0;
    // The profile joins the videos' own pictures without re-encoding them.
    virtual bool copiesVideo() const = 0;
    // A value of the profile that is not what it stands for, such as a sample rate that is no
    // number: nothing of it may reach the encoder.
    virtual std::optional<OutputRefusal> valueRefusal() const { return std::nullopt; }
};
