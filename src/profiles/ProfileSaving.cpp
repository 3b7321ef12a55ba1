#include "ProfileSaving.h"

#include "CurrentProfile.h"
#include "ProfileList.h"
#include "paths/PathText.h"
#include "platform/Seams.h"
#include "prefs/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// The longest file name the usual Linux file systems take, in bytes.
constexpr int kMaxFileNameBytes = 255;
const QString kProfileExtension = QStringLiteral(".bpf");

// The boxes whose text itself reaches the encoder; of every other box only the selected
// choice counts (a text typed into the MP3 bitrate box is never used).
bool textReachesEncoder(OutputSetting setting)
{
    return setting == OutputSetting::VideoBitrate || setting == OutputSetting::AudioBitrate ||
           setting == OutputSetting::SampleRate;
}

// A value the ini reading gives back as written: blanks around it and a pair of quotes would
// otherwise be dropped, so such a text goes in quotes.
void setExactString(IniFile& file, const QString& section, const QString& key, const QString& value)
{
    file.setString(section, key, value);
    if (file.readString(section, key, QString()) != value)
        file.setString(section, key, QLatin1Char('"') + value + QLatin1Char('"'));
}

// The choice that shows the box's text on a load; a text that is none of the choices is added
// as a new one.
int choiceShowingText(IniFile& file, const QString& section, const ProfileChoiceList& list,
                      const SettingChoice& chosen)
{
    if (chosen.index >= 0 && list.captions.value(chosen.index) == chosen.text)
        return chosen.index;
    const qsizetype listed = list.captions.indexOf(chosen.text);
    if (listed >= 0)
        return static_cast<int>(listed);
    if (chosen.text.isEmpty())
        return -1; // nothing selected shows an empty text
    const int added = static_cast<int>(list.captions.size());
    setExactString(file, section, QStringLiteral("Caption") + QString::number(added), chosen.text);
    file.setInteger(section, QStringLiteral("Items"), added + 1);
    return added;
}

QString suggestedName(const QString& loadedName, const QVector<ListedProfile>& listed)
{
    const auto isListed = [&listed](const QString& name) {
        return std::any_of(listed.begin(), listed.end(),
                           [&name](const ListedProfile& p) { return p.name == name; });
    };
    QString name = loadedName + QStringLiteral(" (custom)");
    for (int n = 2; isListed(name); ++n)
        name = loadedName + QStringLiteral(" (custom %1)").arg(n);
    return name;
}

} // namespace

QString profileNameProblem(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("Please type a name for the profile.");
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("A profile name cannot contain \"/\".");
    if (name.startsWith(QLatin1Char('.')))
        return QStringLiteral("A profile name cannot start with \".\".");
    // A line break would also cut the name stored in the preferences.
    if (std::any_of(name.begin(), name.end(),
                    [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QStringLiteral("A profile name cannot contain line breaks or tabs.");
    if (QFile::encodeName(name + kProfileExtension).size() > kMaxFileNameBytes)
        return QStringLiteral("The profile name is too long for a file name.");
    return QString();
}

std::optional<IniFile> profileWithChoices(const CurrentProfile& profile)
{
    if (!profile.file())
        return std::nullopt;
    IniFile file = *profile.file();
    for (OutputSetting setting : kOutputSettings) {
        const QString section = sectionName(setting);
        const SettingChoice& chosen = profile.selection()[setting];
        const int index = textReachesEncoder(setting)
                              ? choiceShowingText(file, section, profile.choices(setting), chosen)
                              : chosen.index;
        // Only what changed: a section the profile lacks is not made up.
        if (file.readInteger(section, QStringLiteral("Index"), -1) != index)
            file.setInteger(section, QStringLiteral("Index"), index);
    }
    // Written once chosen, and then kept true or false, so that the saved profile brings the
    // choice back.
    const QString sizeSection = sectionName(OutputSetting::VideoSize);
    const bool firstVideo = profile.selection().sizeOfFirstVideo;
    if (firstVideo || file.valueExists(sizeSection, kFirstVideoSizeKey))
        file.setBool(sizeSection, kFirstVideoSizeKey, firstVideo);
    return file;
}

std::optional<QString> saveProfileAs(Messages& messages, Dialogs& dialogs, QWidget* owner,
                                     const CurrentProfile& profile,
                                     const QStringList& profileDirectories)
{
    const std::optional<IniFile> file = profileWithChoices(profile);
    if (!file || profileDirectories.isEmpty())
        return std::nullopt;
    const QString userFolder = withTrailingSlash(profileDirectories.constLast());
    const QVector<ListedProfile> listed = listProfiles(profileDirectories);

    QString suggestion = suggestedName(baseNameOf(profile.path()), listed);
    for (;;) {
        const std::optional<QString> answer =
            dialogs.askText(owner, QStringLiteral("Save Profile As"),
                            QStringLiteral("Name of the new profile:"), suggestion);
        if (!answer)
            return std::nullopt;
        const QString name = answer->trimmed();
        suggestion = name;
        if (const QString problem = profileNameProblem(name); !problem.isEmpty()) {
            messages.info(owner, QStringLiteral("Invalid Profile Name"), problem);
            continue;
        }

        const auto same = std::find_if(listed.begin(), listed.end(),
                                       [&name](const ListedProfile& p) { return p.name == name; });
        const bool inUserFolder = same != listed.end() && directoryPart(same->path) == userFolder;
        // The user's own file of that name is replaced whatever the letter case of its
        // extension; a delivered one elsewhere stays and is shadowed in the list.
        const QString path = inUserFolder ? same->path : profilePath(userFolder, name);
        const QFileInfo target(path);
        if (same != listed.end() || target.exists() || target.isSymLink()) {
            const QString question =
                same != listed.end() && !inUserFolder
                    ? QStringLiteral("A profile named \"%1\" comes with the program. Do you want "
                                     "your profile to take its place in the list?")
                    : QStringLiteral("A profile named \"%1\" already exists. Do you want to "
                                     "replace it?");
            if (!messages.ask(owner, QStringLiteral("Replace Profile"), question.arg(name)))
                continue;
        }

        QDir().mkpath(userFolder);
        try {
            file->saveAs(path);
        } catch (const IniWriteError& error) {
            messages.info(owner, QStringLiteral("Profile Not Saved"),
                          error.message() + QStringLiteral(": the profile was not saved."));
            return std::nullopt;
        }
        return name;
    }
}
