#include "QuorKit/UI/Credits/QuorCreditsAuthPresentation.h"

#include "QuorKit/Cloud/QuorCreditsAccountManager.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Credits/QuorCreditsHeaderPill.h"

namespace {
QString t(const QString& en, const QString& tr, QuorLanguage language)
{
    return quorText(en, tr, {}, language);
}

std::optional<QUrl> webAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return QuorCreditsAccountManager::isWebAddress(url) ? std::optional<QUrl>(url) : std::nullopt;
}
} // namespace

std::optional<QUrl> QuorCreditsAuthPresentation::verificationURL(const QuorDeviceSignInStart& start)
{
    if (auto complete = webAddress(start.verificationURIComplete)) {
        return complete;
    }
    return webAddress(start.verificationURI);
}

QuorCreditsAuthPresentation QuorCreditsAuthPresentation::make(const Inputs& in)
{
    const QuorLanguage language = in.language;
    const QString host = QuorCreditsHeaderPill::portalHost();
    QuorCreditsAuthPresentation p;
    p.showsDisclosure = in.isSignedIn;
    p.disclosureTitle = t(QStringLiteral("Switch Account / Token"), QStringLiteral("Hesap Değiştir / Jeton"), language);
    p.disclosureSymbol = in.showReconnectOptions ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right");
    p.showsChoices = !in.isSignedIn || in.showReconnectOptions;

    const bool codePending = in.pendingDeviceSignIn.has_value();
    const bool deviceFlow = codePending || in.signInKind == QuorCreditsAccountStore::SignInKind::device;
    p.connectTitle = t(QStringLiteral("Connect (") + host + QLatin1Char(')'), QStringLiteral("Bağlan (") + host + QLatin1Char(')'),
                       language);
    p.connectBusy = in.isSigningIn && !deviceFlow;
    p.connectEnabled = !in.isSigningIn;
    p.deviceTitle = t(QStringLiteral("Device Code"), QStringLiteral("Cihaz Kodu"), language);
    p.deviceBusy = in.isSigningIn && deviceFlow && !codePending;
    p.deviceEnabled = !in.isSigningIn;
    p.manualTitle = t(QStringLiteral("Manual Token"), QStringLiteral("Manuel Jeton"), language);
    p.manualActive = in.showManualToken;

    p.showsStatusRow = in.isSigningIn;
    // The browser is mentioned only once there is something to do in it.
    if (codePending) {
        p.statusText = t(QStringLiteral("Waiting for device approval in browser…"),
                         QStringLiteral("Tarayıcıda cihaz onayı bekleniyor…"), language);
    } else if (deviceFlow) {
        p.statusText = t(QStringLiteral("Requesting a device code…"), QStringLiteral("Cihaz kodu isteniyor…"), language);
    } else {
        p.statusText = t(QStringLiteral("Complete sign-in in your browser…"),
                         QStringLiteral("Tarayıcıda oturum açmayı tamamlayın…"), language);
    }
    p.cancelTitle = t(QStringLiteral("Cancel"), QStringLiteral("İptal"), language);

    p.showsCodeRow = codePending;
    if (codePending) {
        p.userCode = in.pendingDeviceSignIn->userCode;
        p.openURL = verificationURL(*in.pendingDeviceSignIn);
    }
    p.copyTitle = in.copiedCode ? t(QStringLiteral("Copied"), QStringLiteral("Kopyalandı"), language)
                                : t(QStringLiteral("Copy"), QStringLiteral("Kopyala"), language);
    p.openTitle = t(QStringLiteral("Open ↗"), QStringLiteral("Aç ↗"), language);

    p.showsManualRow = in.showManualToken;
    p.manualPlaceholder = t(QStringLiteral("Paste ") + host + QStringLiteral(" token…"),
                            host + QStringLiteral(" jetonunu yapıştırın…"), language);
    p.saveTitle = t(QStringLiteral("Save"), QStringLiteral("Kaydet"), language);
    p.saveEnabled = !in.manualTokenInput.trimmed().isEmpty();
    return p;
}
