#include "QuorZubApp/Views/Studio/MainZubStudioView.h"

#include "QuorZubApp/Views/Studio/ZubActionsView.h"
#include "QuorZubApp/Views/Studio/ZubHistoryView.h"
#include "QuorZubApp/Views/Studio/ZubPlaygroundView.h"
#include "QuorZubApp/Views/Studio/ZubSettingsView.h"
#include "QuorZubApp/Views/Studio/ZubStudioButton.h"
#include "QuorZubApp/Views/Studio/ZubStudioLayout.h"

#include "QuorKit/Cloud/QuorCreditsAccountStore.h"
#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorAnimation.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorGroundBackground.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorToastBanner.h"
#include "QuorKit/Design/QuorUnifiedTitlebar.h"
#include "QuorKit/UI/Credits/QuorCreditsHeaderPill.h"
#include "QuorKit/UI/Feedback/QuorFeedbackButton.h"
#include "QuorKit/UI/Feedback/QuorVersionAndLogsView.h"
#include "QuorKit/UI/Feedback/QuorVersionBadge.h"
#include "QuorKit/Utilities/QuorBundle.h"

#include <QDialog>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {
constexpr int kToastBottom = 22;
constexpr int kToastSideMargin = 20;
constexpr int kToastAnimationMs = 200;

QuorAppVersion appVersion()
{
    return QuorAppVersion::current(QuorBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100"));
}

QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}

// The tab strip's capsule: a faint fill under a hairline.
QWidget* tabStrip(QWidget* parent)
{
    return new QuorPaintedWidget(
        [](QPainter& painter, const QRectF& bounds) {
            painter.setRenderHint(QPainter::Antialiasing);
            const double radius = bounds.height() / 2;
            painter.setPen(Qt::NoPen);
            painter.setBrush(white(0.05));
            painter.drawRoundedRect(bounds, radius, radius);
            painter.setPen(QPen(white(0.1), 0.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(bounds.adjusted(0.25, 0.25, -0.25, -0.25), radius - 0.25, radius - 0.25);
        },
        parent);
}

// The hairline under the header.
QWidget* divider(QWidget* parent)
{
    auto* line = new QuorPaintedWidget(
        [](QPainter& painter, const QRectF& bounds) { painter.fillRect(QRectF(0, 0, bounds.width(), 0.5), white(0.1)); },
        parent);
    line->setFixedHeight(1);
    return line;
}

// Fades `widget` to `toOpacity` while it slides to `to` (from `from`, where given): the toast's
// way in and out. The group belongs to the widget; the caller starts it.
QParallelAnimationGroup* slideAndFade(QWidget* widget, double fromOpacity, double toOpacity, std::optional<QPoint> from,
                                      QPoint to)
{
    auto* fade = new QGraphicsOpacityEffect(widget);
    widget->setGraphicsEffect(fade);
    auto* group = new QParallelAnimationGroup(widget);
    auto* opacity = new QPropertyAnimation(fade, "opacity", group);
    opacity->setDuration(kToastAnimationMs);
    opacity->setStartValue(fromOpacity);
    opacity->setEndValue(toOpacity);
    auto* slide = new QPropertyAnimation(widget, "pos", group);
    slide->setDuration(kToastAnimationMs);
    slide->setEasingCurve(QEasingCurve::InOutQuad);
    if (from) {
        slide->setStartValue(*from);
    }
    slide->setEndValue(to);
    return group;
}
} // namespace

using ZubStudioLayout::hbox;

MainZubStudioView::MainZubStudioView(ZubStudioModel& model, const QColor& accent, QWidget* parent)
    : QWidget(parent), m_model(model), m_accent(accent)
{
    quorUnifiedTitlebarWindow(this, QuorUnifiedTitlebarMode::unifiedHeader, 16, 14);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_header = buildHeader();
    layout->addWidget(m_header);
    quorUnifiedHeaderBar(m_header, 52, 20, 8, Qt::transparent);
    layout->addWidget(divider(this));
    auto* content = new QWidget(this);
    m_contentLayout = new QVBoxLayout(content);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content, 1);

    connect(&m_model, &ZubStudioModel::changed, this, &MainZubStudioView::sync);
    sync();
}

MainZubStudioView::~MainZubStudioView()
{
    delete m_sheet;
}

QWidget* MainZubStudioView::buildHeader()
{
    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("studioHeader"));
    QHBoxLayout* layout = hbox(header, 16);
    const QuorAppVersion version = appVersion();

    auto* brand = new QWidget(header);
    QHBoxLayout* brandLayout = hbox(brand, 9);
    brandLayout->addWidget(new QuorBrandMark(21, QuorBrandMarkStyle::currentApp(), brand));
    m_productName = QuorLabels::make(QStringLiteral("QuorZub"), QuorFonts::system(15, QFont::DemiBold),
                                     QuorGlassTokens::textPrimary(), brand);
    brandLayout->addWidget(m_productName);
    m_versionButton = new ZubStudioButton(-1, brand);
    m_versionButton->setObjectName(QStringLiteral("versionButton"));
    hbox(m_versionButton, 0)->addWidget(new QuorVersionBadge(version, false, m_versionButton));
    connect(m_versionButton, &QAbstractButton::clicked, this, [this] { m_model.setVersionLogsSheetPresented(true); });
    brandLayout->addWidget(m_versionButton);
    m_feedbackButton = new QuorFeedbackButton(QStringLiteral("QuorZub"), version, QuorFeedbackKind::feature,
                                              m_model.language(), QuorFeedbackButtonStyle::compactIcon, std::nullopt,
                                              brand);
    brandLayout->addWidget(m_feedbackButton);
    layout->addWidget(brand);
    layout->addSpacerItem(new QSpacerItem(12, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));

    auto* strip = tabStrip(header);
    QHBoxLayout* stripLayout = hbox(strip, 2, QMargins(3, 3, 3, 3));
    for (const ZubStudioTab tab : ZubStudioHeaderPresentation::tabOrder()) {
        auto* button = new ZubStudioButton(-1, strip);
        button->setObjectName(QStringLiteral("tab:") + QString::number(static_cast<int>(tab)));
        hbox(button, 0, QMargins(11, 6, 11, 6))
            ->addWidget(QuorLabels::withSymbol(ZubStudioHeaderPresentation::tabIcon(tab), QString(),
                                               QuorFonts::system(12, QFont::Medium), white(0.62), white(0.62), button));
        connect(button, &QAbstractButton::clicked, this, [this, tab] { m_model.setSelectedTab(tab); });
        connect(button, &ZubStudioButton::hoverChanged, this, &MainZubStudioView::syncHeader);
        stripLayout->addWidget(button);
        m_tabButtons.append(button);
    }
    layout->addWidget(strip);
    layout->addSpacerItem(new QSpacerItem(12, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));

    auto* actions = new QWidget(header);
    QHBoxLayout* actionsLayout = hbox(actions, 10);
    m_creditsPill = new QuorCreditsHeaderPill(QuorCreditsAccountStore::shared(), m_accent, m_model.language(), actions);
    actionsLayout->addWidget(m_creditsPill);
    m_autoPill = new ZubStudioButton(-1, actions);
    m_autoPill->setObjectName(QStringLiteral("autoPill"));
    QHBoxLayout* pillLayout = hbox(m_autoPill, 6, QMargins(11, 6, 11, 6));
    auto* dot = new QLabel(m_autoPill);
    dot->setObjectName(QStringLiteral("dot"));
    dot->setFixedSize(7, 7);
    pillLayout->addWidget(dot);
    QLabel* pillLabel = QuorLabels::make(QString(), QuorFonts::system(12, QFont::Medium), white(0.6), m_autoPill);
    pillLabel->setObjectName(QStringLiteral("text"));
    pillLayout->addWidget(pillLabel);
    connect(m_autoPill, &QAbstractButton::clicked, this,
            [this] { m_model.setAutoShowOnSelection(!m_model.config().autoShowOnSelection); });
    connect(m_autoPill, &ZubStudioButton::hoverChanged, this, &MainZubStudioView::syncHeader);
    actionsLayout->addWidget(m_autoPill);
    m_ocrButton = new QuorStyledButton(QString(), QStringLiteral("viewfinder"), QuorPrimaryButtonStyle{}, actions);
    m_ocrButton->setObjectName(QStringLiteral("ocrButton"));
    connect(m_ocrButton, &QAbstractButton::clicked, this, [this] { m_model.triggerScreenOCRTranslate(); });
    actionsLayout->addWidget(m_ocrButton);
    layout->addWidget(actions);
    return header;
}

void MainZubStudioView::sync()
{
    m_presentation = ZubStudioHeaderPresentation::make(m_model);
    syncHeader();
    syncTab();
    syncToast();
    syncSheet();
}

void MainZubStudioView::syncHeader()
{
    const ZubStudioHeaderPresentation& p = m_presentation;
    m_versionButton->setToolTip(p.versionTooltip);
    m_feedbackButton->setLanguage(m_model.language());
    m_creditsPill->setLanguageOverride(m_model.language());
    for (qsizetype i = 0; i < m_tabButtons.size() && i < p.tabs.size(); ++i) {
        ZubStudioButton* button = m_tabButtons[i];
        const ZubStudioHeaderPresentation::TabLook look =
            ZubStudioHeaderPresentation::tabLook(p.tabs[i].isActive, button->isHovered());
        button->setColors(look.background);
        QWidget* label = button->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        if (auto* text = button->findChild<QLabel*>(QStringLiteral("text"))) {
            text->setText(p.tabs[i].title);
            text->setFont(QuorFonts::system(12, look.semibold ? QFont::DemiBold : QFont::Medium));
            QuorLabels::setColor(text, look.foreground);
        }
        if (label != nullptr) {
            QuorLabels::setSymbol(label, p.tabs[i].icon, 12, look.foreground);
        }
        button->setAccessibleName(p.tabs[i].title);
        QuorAccessibleButton::setChoice(button, QAccessible::PageTab, p.tabs[i].isActive);
    }
    const ZubStudioHeaderPresentation::PillLook pill =
        ZubStudioHeaderPresentation::pillLook(p.autoShowEnabled, m_autoPill->isHovered());
    m_autoPill->setColors(pill.background);
    if (auto* dot = m_autoPill->findChild<QLabel*>(QStringLiteral("dot"))) {
        QPixmap pixmap(dot->size() * 2);
        pixmap.setDevicePixelRatio(2);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(pill.dot);
        painter.drawEllipse(QRectF(0.25, 0.25, 6.5, 6.5));
        painter.end();
        dot->setPixmap(pixmap);
    }
    if (auto* text = m_autoPill->findChild<QLabel*>(QStringLiteral("text"))) {
        text->setText(p.autoPillLabel);
        QuorLabels::setColor(text, pill.label);
    }
    m_autoPill->setAccessibleName(p.autoPillLabel);
    // It switches automatic showing on and off: a check box to a screen reader.
    QuorAccessibleButton::setChoice(m_autoPill, QAccessible::CheckBox, p.autoShowEnabled);
    m_ocrButton->setText(p.ocrTitle);
    m_ocrButton->setEnabled(p.ocrEnabled);
    m_ocrButton->updateGeometry();
    fitHeader();
}

void MainZubStudioView::setHeaderDetailsVisible(bool visible)
{
    if (m_productName->isHidden() != visible) {
        return;
    }
    m_productName->setVisible(visible);
    for (ZubStudioButton* button : m_tabButtons) {
        if (auto* symbol = button->findChild<QLabel*>(QStringLiteral("symbol"))) {
            symbol->setVisible(visible);
        }
    }
}

void MainZubStudioView::fitHeader()
{
    setHeaderDetailsVisible(!ZubStudioHeaderPresentation::isCompact(width()));
}

QWidget* MainZubStudioView::makeTabView(ZubStudioTab tab)
{
    const QColor accent = QuorProductPalettes::accentColor(QuorProductPalette::deepCoral);
    switch (tab) {
    case ZubStudioTab::playground: return new ZubPlaygroundView(m_model, accent);
    case ZubStudioTab::actions: return new ZubActionsView(m_model, accent);
    case ZubStudioTab::history: return new ZubHistoryView(m_model, accent);
    case ZubStudioTab::settings: break;
    }
    return new ZubSettingsView(m_model, accent);
}

void MainZubStudioView::syncTab()
{
    const ZubStudioTab tab = m_model.selectedTab();
    if (m_shownTab == tab && m_tabView != nullptr) {
        return;
    }
    const bool firstTab = m_tabView == nullptr;
    // Leaving a tab drops its view and whatever short-lived form state it owned. The old view may be
    // the sender of the change (a row that opens another tab), so it goes once its handler returns.
    if (m_tabView != nullptr) {
        // The settings are a long column the user comes back to: where it was scrolled is kept.
        if (m_shownTab == ZubStudioTab::settings) {
            if (QAbstractScrollArea* area = tabScrollArea()) {
                m_settingsScrollOffset = area->verticalScrollBar()->value();
            }
        }
        disconnect(&m_model, nullptr, m_tabView, nullptr);
        m_contentLayout->removeWidget(m_tabView);
        m_tabView->hide();
        m_tabView->deleteLater();
    }
    m_tabView = makeTabView(tab);
    m_shownTab = tab;
    m_contentLayout->addWidget(m_tabView);
    m_tabView->show();
    if (m_toast) {
        m_toast->raise();
    }
    if (firstTab) {
        restoreScrollPosition(tab);
        // The window opens with the keyboard in the text to work on, not on the first header control.
        if (tab == ZubStudioTab::playground) {
            if (auto* editor = m_tabView->findChild<QWidget*>(QStringLiteral("editor"))) {
                editor->setFocus(Qt::OtherFocusReason);
            }
        }
    } else if (tab == ZubStudioTab::settings && m_settingsScrollOffset > 0) {
        followScrollOffset(m_settingsScrollOffset);
    }
}

QAbstractScrollArea* MainZubStudioView::tabScrollArea() const
{
    // Every tab's column is its one direct scrolling child; rows inside it scroll sideways.
    return m_tabView != nullptr ? m_tabView->findChild<QAbstractScrollArea*>(QString(), Qt::FindDirectChildrenOnly)
                                : nullptr;
}

void MainZubStudioView::keepScrollPosition()
{
    std::optional<ZubStudioScrollPosition> position;
    if (QAbstractScrollArea* area = tabScrollArea(); area != nullptr && m_shownTab) {
        position = ZubStudioScrollPosition{*m_shownTab, area->verticalScrollBar()->value()};
    }
    m_model.keepScrollPosition(position);
}

void MainZubStudioView::restoreScrollPosition(ZubStudioTab tab)
{
    const std::optional<ZubStudioScrollPosition> kept = m_model.keptScrollPosition();
    if (!kept) {
        return;
    }
    m_model.keepScrollPosition(std::nullopt);
    if (kept->tab == tab && kept->offset > 0) {
        followScrollOffset(kept->offset);
    }
}

void MainZubStudioView::followScrollOffset(int offset)
{
    QAbstractScrollArea* area = tabScrollArea();
    if (area == nullptr) {
        return;
    }
    // The column has no height until the window is laid out, and the history builds its cards in
    // batches as they come into view: the position is applied as the range grows, until it is
    // reached or the user scrolls.
    QScrollBar* bar = area->verticalScrollBar();
    auto* follower = new QObject(bar);
    const auto apply = [bar, offset, follower] {
        bar->setValue(std::min(offset, bar->maximum()));
        if (bar->value() == offset) {
            follower->deleteLater();
        }
    };
    connect(bar, &QScrollBar::rangeChanged, follower, apply);
    connect(bar, &QScrollBar::actionTriggered, follower, &QObject::deleteLater);
    apply();
}

void MainZubStudioView::syncToast()
{
    const std::optional<QString> message = m_model.toastMessage();
    const bool isError = m_model.toastIsError();
    if (message == m_shownToast && (!message || isError == m_shownToastIsError)) {
        return;
    }
    m_shownToast = message;
    m_shownToastIsError = isError;
    const bool animate = QuorAnimation::enabled();
    if (m_toast) {
        QuorToastBanner* old = m_toast;
        m_toast = nullptr;
        if (animate && !message) {
            // Leaves the way it came: down and out.
            QParallelAnimationGroup* group = slideAndFade(old, 1.0, 0.0, std::nullopt, QPoint(old->x(), height()));
            connect(group, &QAbstractAnimation::finished, old, &QObject::deleteLater);
            group->start();
        } else {
            delete old;
        }
    }
    if (!message) {
        return;
    }
    m_toast = new QuorToastBanner(*message, isError, this);
    m_toast->setObjectName(QStringLiteral("toast"));
    placeToast();
    m_toast->show();
    m_toast->raise();
    if (animate) {
        const QPoint target = m_toast->pos();
        QParallelAnimationGroup* group = slideAndFade(m_toast, 0.0, 1.0, QPoint(target.x(), height()), target);
        QPointer<QuorToastBanner> toast(m_toast);
        connect(group, &QAbstractAnimation::finished, m_toast, [toast] {
            if (toast) {
                toast->setGraphicsEffect(nullptr);
            }
        });
        group->start(QAbstractAnimation::DeleteWhenStopped);
    }
}

void MainZubStudioView::placeToast()
{
    if (!m_toast) {
        return;
    }
    // A message too long for one line wraps to more rather than being cut.
    m_toast->setMaximumBannerWidth(width() - 2 * kToastSideMargin);
    const QSize size = m_toast->sizeHint();
    m_toast->resize(size);
    m_toast->move((width() - size.width()) / 2, height() - kToastBottom - size.height());
}

void MainZubStudioView::syncSheet()
{
    const bool presented = m_model.isVersionLogsSheetPresented();
    if (presented && !m_sheet) {
        auto* sheet = new QDialog(this);
        sheet->setObjectName(QStringLiteral("versionSheet"));
        sheet->setWindowModality(Qt::WindowModal);
        sheet->setFixedSize(680, 540);
        // The title screen readers announce for the window.
        sheet->setWindowTitle(QuorVersionAndLogsView::texts(QStringLiteral("QuorZub"), m_model.language(), false).title);
        auto* layout = new QVBoxLayout(sheet);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new QuorVersionAndLogsView(QStringLiteral("QuorZub"), appVersion(), m_model.logger(),
                                                     QuorProductPalette::deepCoral, m_model.language(), {},
                                                     [this] { m_model.setVersionLogsSheetPresented(false); }, sheet));
        // A dismissal by the window manager or Escape resets the flag the same way.
        connect(sheet, &QDialog::finished, this, [this] {
            if (m_model.isVersionLogsSheetPresented()) {
                m_model.setVersionLogsSheetPresented(false);
            }
        });
        m_sheet = sheet;
        QuorKeyboardReach::openSheet(sheet);
    } else if (!presented && m_sheet) {
        QDialog* sheet = m_sheet;
        m_sheet = nullptr;
        sheet->hide();
        sheet->deleteLater();
    }
}

void MainZubStudioView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    QuorGroundBackground::paint(painter, QRectF(rect()), QuorProductPalette::deepCoral);
}

void MainZubStudioView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitHeader();
    placeToast();
}
