#include "QuorKit/UI/Feedback/QuorVersionBadgeButton.h"

#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "QuorKit/UI/Feedback/QuorVersionAndLogsView.h"
#include "QuorKit/UI/Feedback/QuorVersionBadge.h"
#include "QuorKit/Utilities/QuorAppLogger.h"

#include <QAbstractButton>
#include <QDialog>
#include <QHBoxLayout>
#include <QPainter>

namespace {
// The badge itself, pressable: it draws nothing of its own but a focus ring around the badge.
class BadgeButton : public QAbstractButton {
public:
    BadgeButton(const QuorAppVersion& version, bool showBuild, QWidget* parent) : QAbstractButton(parent)
    {
        auto* badge = new QuorVersionBadge(version, showBuild, this);
        badge->setAttribute(Qt::WA_TransparentForMouseEvents);
        QuorBoxLayouts::hbox(this, 0)->addWidget(badge);
        setText(QuorVersionBadge::appearance(version, showBuild).text);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        if (!hasFocus()) {
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QuorGlassTokens::borderStrong(), 1));
        const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.drawRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
    }
};
} // namespace

QuorVersionBadgeButton::QuorVersionBadgeButton(const QString& appName, const QuorAppVersion& version,
                                               std::shared_ptr<QuorAppLogger> logger, QuorProductPalette palette,
                                               QuorLanguage language, bool showBuild, bool showFeedbackButton,
                                               QWidget* parent)
    : QWidget(parent), m_appName(appName), m_version(version),
      m_logger(logger ? std::move(logger) : QuorAppLogger::shared(appName)), m_palette(palette), m_language(language)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QHBoxLayout* row = QuorBoxLayouts::hbox(this, 5);
    m_badge = new BadgeButton(version, showBuild, this);
    m_badge->setObjectName(QStringLiteral("versionBadgeButton"));
    const QString help = helpText(version, language);
    m_badge->setToolTip(help);
    m_badge->setAccessibleName(m_badge->text());
    m_badge->setAccessibleDescription(help);
    connect(m_badge, &QAbstractButton::clicked, this, [this] { setSheetPresented(true); });
    row->addWidget(m_badge, 0, Qt::AlignVCenter);
    if (showFeedbackButton) {
        auto* feedback = new QuorFeedbackButton(appName, version, QuorFeedbackKind::feature, language,
                                                QuorFeedbackButtonStyle::compactIcon, std::nullopt, this);
        feedback->setObjectName(QStringLiteral("feedbackButton"));
        row->addWidget(feedback, 0, Qt::AlignVCenter);
    }
}

QuorVersionBadgeButton::~QuorVersionBadgeButton()
{
    if (m_sheet) {
        m_sheet->disconnect(this);
        delete m_sheet.data();
    }
}

QString QuorVersionBadgeButton::helpText(const QuorAppVersion& version, QuorLanguage language)
{
    const QString display = version.detailedDisplay();
    return quorText(QStringLiteral("Version ") + display + QStringLiteral(" — Click to view Release History & Logs"),
                    QStringLiteral("Sürüm ") + display + QStringLiteral(" — Sürüm Geçmişi ve Logları görmek için tıklayın"),
                    {}, language);
}

void QuorVersionBadgeButton::setSheetPresented(bool presented)
{
    if (presented == m_isSheetPresented) {
        return;
    }
    m_isSheetPresented = presented;
    syncSheet();
    emit sheetPresentedChanged();
}

void QuorVersionBadgeButton::syncSheet()
{
    if (m_isSheetPresented && !m_sheet) {
        auto* sheet = new QDialog(window());
        sheet->setObjectName(QStringLiteral("versionSheet"));
        sheet->setWindowModality(Qt::WindowModal);
        sheet->setMinimumSize(sheetMinimumSize);
        sheet->setWindowTitle(m_appName);
        QuorBoxLayouts::vbox(sheet, 0)->addWidget(new QuorVersionAndLogsView(
            m_appName, m_version, m_logger, m_palette, m_language, {}, [this] { setSheetPresented(false); }, sheet));
        // Escape and the window manager close the dialog itself; the flag follows.
        connect(sheet, &QDialog::finished, this, [this] { setSheetPresented(false); });
        m_sheet = sheet;
        QuorKeyboardReach::openSheet(sheet);
    } else if (!m_isSheetPresented && m_sheet) {
        QDialog* sheet = m_sheet;
        m_sheet = nullptr;
        sheet->hide();
        sheet->deleteLater();
    }
}
