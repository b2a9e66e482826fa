#pragma once

#include "QuorKit/Cloud/QuorFeedbackKind.h"
#include "QuorKit/Cloud/QuorFeedbackReceipt.h"
#include "QuorKit/Cloud/QuorFeedbackScreenshot.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <optional>

// What the feedback sheet holds while the user composes: the note, its screenshots, whether an
// upload runs, the lines of the error banner and the status hint, and the receipt once sent. The
// sheet's own actions keep at most five screenshots of at most 5 MiB each.
class QuorFeedbackSheetState : public QObject {
    Q_OBJECT
public:
    explicit QuorFeedbackSheetState(QObject* parent = nullptr) : QObject(parent) {}

    QuorFeedbackKind kind() const { return m_kind; }
    void setKind(QuorFeedbackKind kind);
    QString email() const { return m_email; }
    void setEmail(const QString& email);
    QString senderName() const { return m_senderName; }
    void setSenderName(const QString& name);
    QString subject() const { return m_subject; }
    void setSubject(const QString& subject);
    QString message() const { return m_message; }
    void setMessage(const QString& message);
    const QList<QuorFeedbackScreenshot>& screenshots() const { return m_screenshots; }
    void appendScreenshot(const QuorFeedbackScreenshot& screenshot);
    // Removes every screenshot with that id.
    void removeScreenshot(const QUuid& id);
    bool isSubmitting() const { return m_isSubmitting; }
    void setSubmitting(bool submitting);
    const std::optional<QString>& errorMessage() const { return m_errorMessage; }
    void setErrorMessage(const std::optional<QString>& message);
    const std::optional<QString>& statusHint() const { return m_statusHint; }
    void setStatusHint(const std::optional<QString>& hint);
    const std::optional<QuorFeedbackReceipt>& receipt() const { return m_receipt; }
    void setReceipt(const std::optional<QuorFeedbackReceipt>& receipt);

    // Back to an empty note after a sent one: kind, e-mail, name and the status hint stay.
    void startAnotherNote();

signals:
    // After any property changed.
    void changed();

private:
    template <typename T>
    void assign(T& field, const T& value)
    {
        if (!(field == value)) {
            field = value;
            emit changed();
        }
    }

    QuorFeedbackKind m_kind = QuorFeedbackKind::feature;
    QString m_email;
    QString m_senderName;
    QString m_subject;
    QString m_message;
    QList<QuorFeedbackScreenshot> m_screenshots;
    bool m_isSubmitting = false;
    std::optional<QString> m_errorMessage;
    std::optional<QString> m_statusHint;
    std::optional<QuorFeedbackReceipt> m_receipt;
};
