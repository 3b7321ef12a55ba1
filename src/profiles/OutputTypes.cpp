#include "OutputTypes.h"

#include "OutputContainers.h"

QStringList outputTypeList()
{
    QStringList types;
    for (const vantomel::OutputContainer& container : vantomel::outputContainers())
        types << QLatin1Char('.') + QString::fromUtf8(container.extensions.front());
    return types;
}
