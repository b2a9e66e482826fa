#include "QuorKit/Design/QuorLanguageMenuButton.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorLanguagePickerState.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <cmath>

namespace {
constexpr double kFontSize = 11;
constexpr double kSpacing = 4;
constexpr double kPaddingH = 8;
constexpr double kPaddingV = 4;

QFont codeFont()
{
    return QuorFonts::system(kFontSize, QFont::DemiBold);
}
} // namespace

QuorLanguageMenuButton::QuorLanguageMenuButton(QuorLanguage language, std::function<void(QuorLanguage)> onSelect,
                                               QWidget* parent)
    : QAbstractButton(parent), m_language(language), m_onSelect(std::move(onSelect)),
      m_state(new QuorLanguagePickerState(this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(quorText(QStringLiteral("Language"), QStringLiteral("Dil"), {}, m_language));
    connect(this, &QAbstractButton::clicked, this, &QuorLanguageMenuButton::openMenu);
}

void QuorLanguageMenuButton::setLanguage(QuorLanguage language)
{
    if (language != m_language) {
        m_language = language;
        setToolTip(quorText(QStringLiteral("Language"), QStringLiteral("Dil"), {}, m_language));
        updateGeometry();
        update();
    }
}

bool QuorLanguageMenuButton::isFollowingSystem() const
{
    return m_state->isFollowingSystem();
}

QMenu* QuorLanguageMenuButton::buildMenu()
{
    auto* menu = new QMenu(this);
    QuorMenuPicker::styleMenu(menu);
    menu->setFont(QuorFonts::system(12.5));
    QAction* system = menu->addAction(QuorLanguagePickerState::systemRowLabel(m_language));
    system->setData(QuorLanguages::systemPreferenceCode);
    system->setCheckable(true);
    system->setChecked(m_state->isFollowingSystem());
    menu->addSeparator();
    for (const QuorLanguage language : QuorLanguages::sortedCases()) {
        QAction* action = menu->addAction(QuorLanguages::displayName(language));
        action->setData(QuorLanguages::rawValue(language));
        action->setCheckable(true);
        action->setChecked(!m_state->isFollowingSystem() && language == m_language);
    }
    return menu;
}

void QuorLanguageMenuButton::select(const QuorLanguageSelection& selection)
{
    const auto report = [this](QuorLanguage language) {
        setLanguage(language);
        if (m_onSelect) {
            m_onSelect(language);
        }
    };
    if (const auto language = selection.explicitValue()) {
        m_state->chooseExplicit(*language, report);
    } else {
        m_state->chooseSystem(report);
    }
}

void QuorLanguageMenuButton::openMenu()
{
    QMenu* menu = buildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QuorLanguageMenuButton> self(this);
    connect(menu, &QMenu::triggered, this, [self](QAction* action) {
        if (!self) {
            return;
        }
        const QString code = action->data().toString();
        if (const auto language = QuorLanguages::fromRawValue(code)) {
            self->select(QuorLanguageSelection::explicitLanguage(*language));
        } else {
            self->select(QuorLanguageSelection::system());
        }
    });
    menu->popup(mapToGlobal(QPoint(0, height() + 2)));
}

void QuorLanguageMenuButton::showEvent(QShowEvent* event)
{
    m_state->syncFromDefaults();
    QAbstractButton::showEvent(event);
}

QSize QuorLanguageMenuButton::sizeHint() const
{
    const QFontMetricsF metrics(codeFont());
    const double width = kFontSize * 1.25 + kSpacing + metrics.horizontalAdvance(QuorLanguages::shortCode(m_language));
    const double height = std::max(metrics.height(), kFontSize * 1.25);
    return {static_cast<int>(std::ceil(width + 2 * kPaddingH)), static_cast<int>(std::ceil(height + 2 * kPaddingV))};
}

void QuorLanguageMenuButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const double radius = bounds.height() / 2;
    QuorPlatePainter::paint(painter, bounds, radius, QuorGlassTokens::surface2(), QuorGlassTokens::borderSubtle());
    const double side = kFontSize * 1.25;
    QuorSymbols::paint(painter, QRectF(kPaddingH, bounds.center().y() - side / 2, side, side), QStringLiteral("globe"),
                       QuorGlassTokens::textPrimary(), kFontSize);
    painter.setFont(codeFont());
    painter.setPen(QuorGlassTokens::textPrimary());
    painter.drawText(QRectF(kPaddingH + side + kSpacing, 0, bounds.width(), bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QuorLanguages::shortCode(m_language));
}
