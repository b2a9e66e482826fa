#include "QuorKit/Cloud/QuorBrowserHandOff.h"

#include "QuorKit/Cloud/QuorSupportLog.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QDesktopServices>
#include <QMutex>

namespace QuorBrowserHandOff {

namespace {
QMutex openerLock;
Opener& defaultOpener()
{
    static Opener opener;
    return opener;
}
} // namespace

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

bool open(const QUrl& url, const Opener& opener)
{
    if (!isWebAddress(url)) {
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::browser,
                              QStringLiteral("Not handed to the browser (not a web address): ") + QuorSupportLog::address(url));
        return false;
    }
    Opener chosen = opener;
    if (!chosen) {
        const QMutexLocker locker(&openerLock);
        chosen = defaultOpener();
    }
    const bool opened = chosen ? chosen(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        QuorSupportLog::write(QuorLogLevel::warn, QuorSupportLog::browser,
                              QStringLiteral("The browser could not be opened for ") + QuorSupportLog::address(url));
    }
    return opened;
}

QString failureMessage(std::optional<QuorLanguage> language)
{
    return quorText(QStringLiteral("Your web browser could not be opened. Copy this address and open it in a browser:"),
                    QStringLiteral("Web tarayıcınız açılamadı. Bu adresi kopyalayıp bir tarayıcıda açın:"), {}, language);
}

void setDefaultOpener(Opener opener)
{
    const QMutexLocker locker(&openerLock);
    defaultOpener() = std::move(opener);
}

} // namespace QuorBrowserHandOff
