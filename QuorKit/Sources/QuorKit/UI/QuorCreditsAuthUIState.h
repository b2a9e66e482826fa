#pragma once

#include <QObject>
#include <QString>

// The sign-in block's own transient state: the manual token row and its text, whether the choices
// are unfolded while an account is signed in, and whether the device code has been copied.
class QuorCreditsAuthUIState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool showManualToken() const { return m_showManualToken; }
    void setShowManualToken(bool show) { assign(m_showManualToken, show); }
    QString manualTokenInput() const { return m_manualTokenInput; }
    void setManualTokenInput(const QString& input) { assign(m_manualTokenInput, input); }
    bool showReconnectOptions() const { return m_showReconnectOptions; }
    void setShowReconnectOptions(bool show) { assign(m_showReconnectOptions, show); }
    bool copiedCode() const { return m_copiedCode; }
    void setCopiedCode(bool copied) { assign(m_copiedCode, copied); }

signals:
    // After any field changed.
    void changed();

private:
    template <typename T>
    void assign(T& field, const T& value)
    {
        if (field != value) {
            field = value;
            emit changed();
        }
    }

    bool m_showManualToken = false;
    QString m_manualTokenInput;
    bool m_showReconnectOptions = false;
    bool m_copiedCode = false;
};
