#pragma once

#include "QuorKit/UI/Credits/QuorViewState.h"

#include <QString>

// The sign-in block's own transient state: the manual token row and its text, whether the choices
// are unfolded while an account is signed in, and whether the device code has been copied.
class QuorCreditsAuthUIState : public QuorViewState {
    Q_OBJECT
public:
    using QuorViewState::QuorViewState;

    bool showManualToken() const { return m_showManualToken; }
    void setShowManualToken(bool show) { assign(m_showManualToken, show); }
    QString manualTokenInput() const { return m_manualTokenInput; }
    void setManualTokenInput(const QString& input) { assign(m_manualTokenInput, input); }
    bool showReconnectOptions() const { return m_showReconnectOptions; }
    void setShowReconnectOptions(bool show) { assign(m_showReconnectOptions, show); }
    bool copiedCode() const { return m_copiedCode; }
    void setCopiedCode(bool copied) { assign(m_copiedCode, copied); }

private:
    bool m_showManualToken = false;
    QString m_manualTokenInput;
    bool m_showReconnectOptions = false;
    bool m_copiedCode = false;
};
