#pragma once

#include "QuorKit/Cloud/QuorFeedbackKind.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Utilities/QuorAppVersion.h"

#include <QAbstractButton>

#include <optional>

enum class QuorFeedbackButtonStyle { compactIcon, labeledPill };

// Opens the maker's web feedback form for an application, version, kind and language: a bare icon
// capsule for tight headers, or a labelled glass pill.
class QuorFeedbackButton : public QAbstractButton {
    Q_OBJECT
public:
    struct Texts {
        QString pillLabel;
        QString help; // the tooltip of both looks; also the icon's accessible name
        bool operator==(const Texts& other) const = default;
    };

    static inline const QString symbolName = QStringLiteral("bubble.left.and.exclamationmark.bubble.right");

    QuorFeedbackButton(const QString& appName, const QuorAppVersion& version, QuorFeedbackKind kind,
                       QuorLanguage language, QuorFeedbackButtonStyle style,
                       const std::optional<QString>& baseURL, QWidget* parent = nullptr);

    static Texts texts(QuorLanguage language);

    void setLanguage(QuorLanguage language);
    QuorLanguage language() const { return m_language; }
    QuorFeedbackButtonStyle buttonStyle() const { return m_style; }
    // The address a click opens.
    std::optional<QUrl> formURL() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyTexts();

    QString m_appName;
    QuorAppVersion m_version;
    QuorFeedbackKind m_kind;
    QuorLanguage m_language;
    QuorFeedbackButtonStyle m_style;
    std::optional<QString> m_baseURL;
};
