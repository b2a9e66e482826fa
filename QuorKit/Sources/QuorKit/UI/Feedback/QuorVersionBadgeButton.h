#pragma once

#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Utilities/QuorAppVersion.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <memory>

class QAbstractButton;

class QuorAppLogger;

// An application's version badge as a button for a toolbar or footer: a press opens the
// "Version & Logs" screen in a window-modal sheet, built afresh at each opening; optionally the
// compact feedback button follows the badge.
class QuorVersionBadgeButton : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize sheetMinimumSize{720, 560};

    // Without a logger the application's shared logger is taken.
    QuorVersionBadgeButton(const QString& appName, const QuorAppVersion& version, std::shared_ptr<QuorAppLogger> logger,
                           QuorProductPalette palette, QuorLanguage language, bool showBuild, bool showFeedbackButton,
                           QWidget* parent = nullptr);
    ~QuorVersionBadgeButton() override;

    // "Version v1.4.2 (57) — Click to view Release History & Logs": the build is always named.
    static QString helpText(const QuorAppVersion& version, QuorLanguage language);

    const std::shared_ptr<QuorAppLogger>& logger() const { return m_logger; }
    QAbstractButton* badgeButton() const { return m_badge; }
    bool isSheetPresented() const { return m_isSheetPresented; }
    void setSheetPresented(bool presented);
    // The open sheet, if any.
    QDialog* sheet() const { return m_sheet; }

signals:
    void sheetPresentedChanged();

private:
    void syncSheet();

    QString m_appName;
    QuorAppVersion m_version;
    std::shared_ptr<QuorAppLogger> m_logger;
    QuorProductPalette m_palette;
    QuorLanguage m_language;
    bool m_isSheetPresented = false;
    QAbstractButton* m_badge = nullptr;
    QPointer<QDialog> m_sheet;
};
