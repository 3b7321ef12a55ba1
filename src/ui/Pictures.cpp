#include "Pictures.h"

// Resources of a static library must be registered by hand.
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    (void)registered;
}

QIcon ownPicture(const QString& name)
{
    registerPictures();
    return QIcon(QStringLiteral(":/pictures/%1.svg").arg(name));
}

QIcon toolbarIcon(const QString& themeName, const QString& ownPictureName)
{
    return QIcon::fromTheme(themeName, ownPicture(ownPictureName));
}
