#include "QuorKit/UI/Credits/QuorCreditsAccountPresentation.h"

#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Credits/QuorCreditsHeaderPill.h"
#include "QuorKit/UI/Credits/QuorCreditsUIFormatter.h"

namespace {
using P = QuorCreditsAccountPresentation;
using Action = P::Button::Action;

QString t(const QString& en, const QString& tr, QuorLanguage language)
{
    return quorText(en, tr, {}, language);
}

QString explanationText(P::Place place, QuorLanguage language)
{
    const QString host = QuorCreditsHeaderPill::portalHost();
    if (place == P::Place::wallet) {
        return t(QStringLiteral("Connect your ") + host +
                     QStringLiteral(" account once to share Tallowmer AI credits and per-app spending limits across all "
                                    "Tallowmer apps."),
                 QStringLiteral("Tek seferde ") + host +
                     QStringLiteral(" hesabınızı bağlayarak tüm Tallowmer uygulamalarında ortak AI kredisi ve uygulama "
                                    "bazlı harcama limiti kullanın."),
                 language);
    }
    return t(QStringLiteral("Connect once with ") + host +
                 QStringLiteral(" to use Tallowmer Auto & frontier cloud models across all Tallowmer apps with per-app "
                                "daily/monthly caps."),
             host + QStringLiteral(" hesabınızı tek tıkla bağlayın; tüm Tallowmer uygulamalarında ortak kredi ve uygulama "
                                   "bazlı günlük/aylık harcama limiti kullanın."),
             language);
}

QList<P::Button> buttonsFor(P::Place place, bool connected, bool isRefreshing, bool isSigningOut, QuorLanguage language)
{
    const QString topUp = t(QStringLiteral("Top Up ↗"), QStringLiteral("Kredi Yükle ↗"), language);
    const QString portal = place == P::Place::wallet
                               ? t(QStringLiteral("Manage in Portal ↗"), QStringLiteral("Portalda Yönet ↗"), language)
                               : t(QStringLiteral("Portal ↗"), QStringLiteral("Portalda Yönet ↗"), language);
    if (!connected) {
        // Only the wallet offers the portal while signed out; the card shows the sign-in block alone.
        if (place == P::Place::aiCard) {
            return {};
        }
        return {{Action::topUp, topUp, {}, false, true, false}, {Action::portal, portal, {}, false, true, false}};
    }
    QList<P::Button> list{{Action::topUp, topUp, {}, true, true, false},
                          {Action::portal, portal, {}, false, true, false}};
    if (place == P::Place::wallet) {
        // The header's icon is "Refresh balance"; this one stands among the account's buttons.
        list.append({Action::refresh, t(QStringLiteral("Refresh"), QStringLiteral("Yenile"), language),
                     t(QStringLiteral("Refresh account"), QStringLiteral("Hesabı yenile"), language), false,
                     !isRefreshing, false});
    }
    list.append({Action::signOut, t(QStringLiteral("Sign Out"), QStringLiteral("Çıkış"), language), {}, false,
                 !isSigningOut, isSigningOut});
    return list;
}
} // namespace

QColor QuorCreditsAccountPresentation::healthColor(QuorCreditsHealthStatus health)
{
    switch (health) {
    case QuorCreditsHealthStatus::disconnected:
        return QuorGlassTokens::textMuted();
    case QuorCreditsHealthStatus::healthy:
        return QuorGlassTokens::success();
    case QuorCreditsHealthStatus::warning:
        return QuorGlassTokens::warning();
    case QuorCreditsHealthStatus::critical:
        return QuorGlassTokens::danger();
    }
    return QuorGlassTokens::textMuted();
}

QuorCreditsAccountPresentation QuorCreditsAccountPresentation::make(const Inputs& in, Place place)
{
    using namespace QuorCreditsUIFormatter;
    const QuorLanguage language = in.language;
    P p;
    p.dotColor = healthColor(in.health);
    p.title = place == Place::wallet
                  ? t(QStringLiteral("Tallowmer Credits"), QStringLiteral("Tallowmer Kredisi"), language)
                  : t(QuorCreditsHeaderPill::portalHost() + QStringLiteral(" Shared Credits & App Budget"),
                      QuorCreditsHeaderPill::portalHost() + QStringLiteral(" Ortak Kredi & Uygulama Bütçesi"), language);
    p.showsRefresh = place == Place::wallet || in.isSignedIn;
    p.refreshBusy = in.isRefreshing;
    p.refreshEnabled = !in.isRefreshing;
    // Beside other refresh buttons (the settings' permissions, the wallet's account button) the
    // name says what it refreshes.
    p.refreshName = t(QStringLiteral("Refresh balance"), QStringLiteral("Bakiyeyi yenile"), language);
    p.refreshTitle = in.isRefreshing && place == Place::aiCard
                         ? QString()
                         : t(QStringLiteral("Refresh"), QStringLiteral("Yenile"), language);

    p.isConnected = in.isSignedIn && in.profile.has_value();
    if (p.isConnected) {
        const QuorCreditAccountProfile& profile = *in.profile;
        p.balanceText = creditsWithUnit(profile.creditsAvailable(), language);
        p.dollarText = QStringLiteral("≈ ") + dollars(profile.availableUSD(), language);
        if (profile.email && !profile.email->isEmpty()) {
            p.email = profile.email;
        }
        if (place == Place::wallet && profile.heldMicros >= 1) {
            p.heldText = QStringLiteral("· ") + t(QStringLiteral("Held"), QStringLiteral("Bloke"), language) +
                         QStringLiteral(": ") + formatCredits(profile.creditsHeld(), language);
        }
    } else {
        p.explanation = explanationText(place, language);
    }
    p.buttons = buttonsFor(place, p.isConnected, in.isRefreshing, in.isSigningOut, language);
    if (in.lastError && !in.lastError->isEmpty()) {
        p.errorText = in.lastError;
    }
    p.unopenedURL = in.unopenedURL;
    return p;
}
