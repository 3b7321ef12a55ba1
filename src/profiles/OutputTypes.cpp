#include "OutputTypes.h"

QStringList outputTypeList()
{
    return {QStringLiteral(".avi"), QStringLiteral(".mpg"), QStringLiteral(".mp4"),
            QStringLiteral(".wmv"), QStringLiteral(".mov"), QStringLiteral(".vob"),
            QStringLiteral(".asf"), QStringLiteral(".flv"), QStringLiteral(".mkv")};
}
