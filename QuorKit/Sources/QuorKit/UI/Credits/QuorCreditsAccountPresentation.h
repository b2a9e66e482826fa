#pragma once

#include "QuorKit/Cloud/QuorCreditAccountProfile.h"
#include "QuorKit/Cloud/QuorCreditsHealthStatus.h"
#include "QuorKit/Localization/QuorLanguage.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// Every text, colour and visibility decision of the two views of the credits account for one state
// of the store: the wallet in the header pill's popover and the credits section of the AI card. Both
// show the balance and the account's buttons while an account is connected (signed in with its
// profile loaded), else an explanation; and the store's last error under them.
struct QuorCreditsAccountPresentation {
    enum class Place { wallet, aiCard };

    struct Inputs {
        bool isSignedIn = false;
        std::optional<QuorCreditAccountProfile> profile;
        bool isRefreshing = false;
        std::optional<QString> lastError;
        bool isSigningOut = false;
        std::optional<QUrl> unopenedURL;
        QuorCreditsHealthStatus health = QuorCreditsHealthStatus::disconnected;
        QuorLanguage language = QuorLanguage::en;
    };

    struct Button {
        enum class Action { topUp, portal, refresh, signOut };
        Action action = Action::topUp;
        QString title;
        // The control's name where the title alone would not tell it from another control of the
        // panel (empty: the title).
        QString name;
        bool isPrimary = false;
        bool isEnabled = true;
        bool isBusy = false; // Sign Out while the gateway is being told
        bool operator==(const Button& other) const = default;
    };

    QColor dotColor;
    QString title;
    // The header's refresh control: the wallet's icon (a spinner while refreshing), the card's
    // button (offered while signed in, its title giving way to a spinner while refreshing).
    bool showsRefresh = false;
    bool refreshBusy = false;
    bool refreshEnabled = true;
    QString refreshTitle; // shown on the card's button; empty while its spinner turns
    QString refreshName;  // the control's name (and the wallet icon's tooltip) at all times

    bool isConnected = false;
    QString balanceText; // "1,234 cr"
    QString dollarText;  // "≈ $12.34"
    std::optional<QString> email;
    std::optional<QString> heldText; // "· Held: 0.5", the wallet's only
    QString explanation;             // while not connected
    QList<Button> buttons;
    std::optional<QString> errorText;
    // A page the browser could not be given, offered to copy under the error.
    std::optional<QUrl> unopenedURL;

    bool operator==(const QuorCreditsAccountPresentation& other) const = default;

    static QuorCreditsAccountPresentation make(const Inputs& inputs, Place place);
    // The health dot: muted, success, warning or danger.
    static QColor healthColor(QuorCreditsHealthStatus health);
};
