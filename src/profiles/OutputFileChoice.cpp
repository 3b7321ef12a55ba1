#include "OutputFileChoice.h"

#include "OutputTypes.h"
#include "platform/DialogFilters.h"
#include "platform/Seams.h"

QString outputFileFilter(const QString& outputExtension)
{
    QStringList types = outputTypeList();
    const qsizetype own = types.indexOf(outputExtension.toLower());
    if (own > 0)
        types.move(own, 0);
    return filterPairs(types) + kAllFilesFilter;
}

QString chooseOutputFile(Dialogs& dialogs, QWidget* owner, const QString& outputExtension)
{
    // Before a profile is loaded there is no extension; AVI is the program's first output type.
    const QString suffix =
        outputExtension.isEmpty() ? outputTypeList().constFirst() : outputExtension;
    // Start asks before it replaces an existing output file, once the file is really written.
    return dialogs.saveFile(owner, outputFileFilter(suffix), suffix.mid(1),
                            ExistingFileQuestion::Caller);
}
