#include "core/Version.h"

QString GetVersionText()
{
#if defined(TOVRIK_VERSION_MAJOR)
    return QStringLiteral("Ver %1.%2.%3 Build %4")
        .arg(TOVRIK_VERSION_MAJOR)
        .arg(TOVRIK_VERSION_MINOR)
        .arg(TOVRIK_VERSION_PATCH)
        .arg(TOVRIK_VERSION_TWEAK);
#else
    return QString();
#endif
}
