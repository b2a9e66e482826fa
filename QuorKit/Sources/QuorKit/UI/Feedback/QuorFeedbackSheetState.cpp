#include "QuorKit/UI/Feedback/QuorFeedbackSheetState.h"

void QuorFeedbackSheetState::setKind(QuorFeedbackKind kind)
{
    assign(m_kind, kind);
}

void QuorFeedbackSheetState::setEmail(const QString& email)
{
    assign(m_email, email);
}

void QuorFeedbackSheetState::setSenderName(const QString& name)
{
    assign(m_senderName, name);
}

void QuorFeedbackSheetState::setSubject(const QString& subject)
{
    assign(m_subject, subject);
}

void QuorFeedbackSheetState::setMessage(const QString& message)
{
    assign(m_message, message);
}

void QuorFeedbackSheetState::setSubmitting(bool submitting)
{
    assign(m_isSubmitting, submitting);
}

void QuorFeedbackSheetState::setErrorMessage(const std::optional<QString>& message)
{
    assign(m_errorMessage, message);
}

void QuorFeedbackSheetState::setStatusHint(const std::optional<QString>& hint)
{
    assign(m_statusHint, hint);
}

void QuorFeedbackSheetState::setReceipt(const std::optional<QuorFeedbackReceipt>& receipt)
{
    assign(m_receipt, receipt);
}

void QuorFeedbackSheetState::appendScreenshot(const QuorFeedbackScreenshot& screenshot)
{
    m_screenshots.append(screenshot);
    emit changed();
}

void QuorFeedbackSheetState::removeScreenshot(const QUuid& id)
{
    if (m_screenshots.removeIf([&id](const QuorFeedbackScreenshot& screenshot) { return screenshot.id == id; }) > 0) {
        emit changed();
    }
}

void QuorFeedbackSheetState::startAnotherNote()
{
    m_receipt.reset();
    m_subject.clear();
    m_message.clear();
    m_screenshots.clear();
    m_errorMessage.reset();
    emit changed();
}
