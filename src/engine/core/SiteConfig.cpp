#include "core/SiteConfig.h"

#include "BuildConfig.h"

namespace {

// The build refuses a malformed host constant; were one to slip through, it
// is taken as a bare name on plain HTTP, as before the other forms existed.
HostAddress builtInHost(const char *text)
{
    const QString written = QString::fromUtf8(text);
    return parseHostAddress(written).value_or(HostAddress{written, Transport{}});
}

} // namespace

SiteConfig SiteConfig::builtIn()
{
    const HostAddress page = builtInHost(VORPALINE_PAGE_HOST);
    const HostAddress file = builtInHost(VORPALINE_FILE_HOST);
    const HostAddress update = builtInHost(VORPALINE_UPDATE_HOST);
    SiteConfig site{page.host,
                    QStringLiteral(VORPALINE_PAGE_HOST_ALIAS),
                    file.host,
                    update.host,
                    QStringLiteral(VORPALINE_WEB_HOST),
                    QStringLiteral(VORPALINE_SUPPORT_ADDRESS)};
    site.pageTransport = page.transport;
    site.fileTransport = file.transport;
    site.updateTransport = update.transport;
    return site;
}
