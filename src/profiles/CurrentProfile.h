#pragma once

#include "OutputSelection.h"
#include "Profile.h"

#include <QString>
#include <memory>

class IniFile;

// The key of [Video Size] that a profile saved with "Same as the first video" holds; older
// versions of the program read past it.
inline const QString kFirstVideoSizeKey = QStringLiteral("First Video");

// The profile the user works with: the file chosen in the profile box as it was read at its load
// (its output type, each setting's choices, the encoder values they stand for) and the choices
// made since in the Output Settings dialog. The dialog edits it and the job reads it, so the
// option text, the picture size and the output extension all come from one loaded profile.
class CurrentProfile
{
public:
    // Reads the profile at path and takes its preselected choices; the manual width and height
    // stay as they are, and so does the size mode unless the profile was saved with the first
    // video's size (key "First Video" of [Video Size]). Where no file exists, or the file is not
    // read (see IniFile), nothing changes: false; whyNotRead then tells, in plain words, why a file
    // that is there was not read, and is empty for a missing one.
    bool load(const QString& path, QString* whyNotRead = nullptr);

    // The file last loaded; empty before the first load.
    const QString& path() const { return m_path; }
    // "." + the output type of the profile last loaded; empty before the first load.
    QString outputExtension() const;
    // The choices the dialog offers for a setting.
    const ProfileChoiceList& choices(OutputSetting setting) const { return m_contents[setting]; }
    // The "Description" of a section, read from the file when asked: a profile deleted since it
    // was loaded gives an empty text.
    QString description(const QString& section) const;

    // The encoder value that choice `index` of a setting stands for: key "value" + index, so -1
    // (nothing selected) looks up "value-1", which a profile normally lacks. Before the first
    // load, and for a key the profile lacks, the default.
    QString value(OutputSetting setting, int index, const QString& defaultValue) const;
    // The encoder value of the choice now selected for the setting.
    QString chosenValue(OutputSetting setting, const QString& defaultValue) const;

    // The file as it was read at the load; null before the first load.
    const IniFile* file() const { return m_file.get(); }

    // What the dialog's controls hold now: the dialog keeps it up to date.
    const OutputSelection& selection() const { return m_selection; }
    void setSelection(const OutputSelection& selection) { m_selection = selection; }

    // The first listed video's size as it plays, "1080x1920"; empty while the list is. The size
    // a selection of the first video's size stands for.
    const QString& firstVideoSize() const { return m_firstVideoSize; }
    void setFirstVideoSize(const QString& size) { m_firstVideoSize = size; }

private:
    QString m_path;
    ProfileContents m_contents;
    // The file as it was read at the load; shared, so that copies stay cheap.
    std::shared_ptr<const IniFile> m_file;
    OutputSelection m_selection;
    QString m_firstVideoSize;
};
