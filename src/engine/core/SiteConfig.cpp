#include "core/SiteConfig.h"

#include "BuildConfig.h"

SiteConfig SiteConfig::builtIn()
{
    return SiteConfig{
        QStringLiteral(VORPALINE_PAGE_HOST), QStringLiteral(VORPALINE_PAGE_HOST_ALIAS),
        QStringLiteral(VORPALINE_FILE_HOST), QStringLiteral(VORPALINE_UPDATE_HOST),
        QStringLiteral(VORPALINE_WEB_HOST),  QStringLiteral(VORPALINE_SUPPORT_ADDRESS)};
}
