#pragma once

#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Cloud/QuorDeviceSignInStart.h"
#include "QuorKit/Localization/QuorLanguage.h"

#include <QString>
#include <QUrl>

#include <optional>

// Every text and visibility decision of the credits sign-in block for one state of the store and of
// the block: the three choices (browser, device code, pasted token), the row of a running sign-in,
// the device code with its buttons, and the manual token row. Signed in, the choices fold under a
// disclosure row for switching the account.
struct QuorCreditsAuthPresentation {
    struct Inputs {
        bool isSignedIn = false;
        bool isSigningIn = false;
        std::optional<QuorCreditsAccountStore::SignInKind> signInKind;
        std::optional<QuorDeviceSignInStart> pendingDeviceSignIn;
        bool showManualToken = false;
        QString manualTokenInput;
        bool showReconnectOptions = false;
        bool copiedCode = false;
        QuorLanguage language = QuorLanguage::en;
    };

    bool showsDisclosure = false;
    QString disclosureTitle;
    QString disclosureSymbol; // chevron down when unfolded, right when folded
    bool showsChoices = false;

    QString connectTitle;
    // The control that started the running sign-in shows the wait: Connect while the browser
    // sign-in runs, Device Code while its code is being requested.
    bool connectBusy = false;
    bool connectEnabled = true;
    QString deviceTitle;
    bool deviceBusy = false;
    bool deviceEnabled = true;
    QString manualTitle;
    bool manualActive = false;

    bool showsStatusRow = false;
    QString statusText;
    QString cancelTitle;

    bool showsCodeRow = false;
    QString userCode;
    QString copyTitle;
    std::optional<QUrl> openURL; // the Open button shows only with a web address to open
    QString openTitle;

    bool showsManualRow = false;
    QString manualPlaceholder;
    QString saveTitle;
    bool saveEnabled = false;

    bool operator==(const QuorCreditsAuthPresentation& other) const = default;

    static QuorCreditsAuthPresentation make(const Inputs& inputs);
    // The address the device code's Open button opens: the complete one, else the plain one, each
    // only when it is an http or https address with a host.
    static std::optional<QUrl> verificationURL(const QuorDeviceSignInStart& start);
};
