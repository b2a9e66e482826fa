#include "QuorZubApp/Views/ZubFloatingBarContentView.h"

#include "QuorZubApp/Views/ZubFloatingBarContentViewParts.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubApp/Views/ZubFrostedGlassCapsule.h"
#include "QuorZubApp/Views/ZubFrostedGlassCard.h"

#include "QuorKit/Design/Emblems/QuorBrandMark.h"
#include "QuorKit/Design/QuorAnimation.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorPaintedWidget.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {
using zub_detail::PresentEffect;
using zub_detail::OneLineLabel;
using zub_detail::ceilSize;
using zub_detail::white;

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}

QColor scaledAlpha(QColor color, double factor)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * factor));
    return color;
}

// A button that tracks the pointer and eases its hover look in and out over 0.12 s.
class HoverButton : public QAbstractButton {
public:
    explicit HoverButton(QWidget* parent = nullptr) : QAbstractButton(parent)
    {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::NoFocus);
    }

    bool isHovered() const { return m_hovered; }

protected:
    double hoverProgress() const { return m_hoverProgress; }

    // Paints the button into `bounds` with an antialiased painter, `t` of the way from its resting
    // look (0) to its hovered one (1).
    virtual void paintHover(QPainter& painter, const QRectF& bounds, double t) = 0;

    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paintHover(painter, QRectF(rect()), hoverProgress());
    }

    void enterEvent(QEnterEvent* event) override
    {
        setHovered(true);
        QAbstractButton::enterEvent(event);
    }

    void leaveEvent(QEvent* event) override
    {
        setHovered(false);
        QAbstractButton::leaveEvent(event);
    }

private:
    void setHovered(bool hovered)
    {
        m_hovered = hovered;
        const double target = hovered ? 1.0 : 0.0;
        if (m_animation) {
            m_animation->stop();
        }
        if (!QuorAnimation::enabled()) {
            m_hoverProgress = target;
            update();
            return;
        }
        if (!m_animation) {
            m_animation = new QVariantAnimation(this);
            m_animation->setDuration(120);
            m_animation->setEasingCurve(QEasingCurve::OutCubic);
            QObject::connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
                m_hoverProgress = value.toDouble();
                update();
            });
        }
        m_animation->setStartValue(m_hoverProgress);
        m_animation->setEndValue(target);
        m_animation->start();
    }

    bool m_hovered = false;
    double m_hoverProgress = 0;
    QVariantAnimation* m_animation = nullptr;
};

constexpr double kPillSymbolSize = 11;
constexpr double kPillSpacing = 4.5;
constexpr int kPillGap = 2;
// The row's width taken to be in sight before it has been laid out: the widest bar's.
constexpr int kPillSightBeforeLayout = 660;

QFont pillFont()
{
    return QuorFonts::system(11.5, QFont::DemiBold);
}

// A pill's size: the same for its resting, hovered and active looks.
QSize pillSize(const QFontMetricsF& metrics, const QString& title)
{
    const double symbol = kPillSymbolSize * 1.25;
    return ceilSize(symbol + kPillSpacing + metrics.horizontalAdvance(title) + 2 * 8.5,
                    std::max(symbol, metrics.height()) + 2 * 4.5);
}

// One action of the pill row: symbol and title on a capsule that lights up when hovered and turns
// white while its action runs or its result is shown.
class PillActionButton : public HoverButton {
public:
    PillActionButton(const ZubFloatingBarPresentation::Pill& pill, QWidget* parent)
        : HoverButton(parent), m_symbolName(pill.action.symbolName), m_isActive(pill.isActive)
    {
        setText(pill.title);
        setObjectName(QStringLiteral("pill:") + pill.action.id.toString(QUuid::WithoutBraces));
    }

    void setActive(bool active)
    {
        if (active != m_isActive) {
            m_isActive = active;
            update();
        }
    }
    bool isActive() const { return m_isActive; }

    QSize sizeHint() const override { return pillSize(QFontMetricsF(pillFont()), text()); }

protected:
    void paintHover(QPainter& painter, const QRectF& bounds, double t) override
    {
        QColor fill = mix(white(0), white(0.14), t);
        QColor foreground = mix(white(0.88), white(0.98), t);
        double symbolOpacity = 0.82 + (1.0 - 0.82) * t;
        if (m_isActive) {
            fill = white(0.94);
            foreground = QColor::fromRgbF(0, 0, 0, 0.92f);
            symbolOpacity = 0.92;
        }
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);

        const QFont font = QuorFonts::system(11.5, m_isActive || isHovered() ? QFont::DemiBold : QFont::Medium);
        const double symbol = kPillSymbolSize * 1.25;
        double x = 8.5;
        QuorSymbols::paint(painter, QRectF(x, bounds.center().y() - symbol / 2, symbol, symbol), m_symbolName,
                           scaledAlpha(foreground, symbolOpacity), kPillSymbolSize);
        x += symbol + kPillSpacing;
        painter.setFont(font);
        painter.setPen(foreground);
        const QRectF textRect(x, 0, bounds.width() - x - 8.5 + 2, bounds.height());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         QuorTextFit::elided(painter, QFontMetricsF(font), text(), Qt::ElideRight, textRect.width()));
    }

private:
    QString m_symbolName;
    bool m_isActive;
};

// The detected and target language ("EN→TR"); a click cycles the target.
class LanguageCycleBadge : public HoverButton {
public:
    LanguageCycleBadge(QColor accent, QWidget* parent) : HoverButton(parent), m_accent(std::move(accent))
    {
        setObjectName(QStringLiteral("languageBadge"));
    }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(QuorFonts::monospaced(9.5, QFont::DemiBold));
        return ceilSize(metrics.horizontalAdvance(text()) + 2 * 6.5, metrics.height() + 2 * 3);
    }

protected:
    void paintHover(QPainter& painter, const QRectF& bounds, double t) override
    {
        painter.setPen(Qt::NoPen);
        painter.setBrush(scaledAlpha(m_accent, 0.14 + (0.26 - 0.14) * t));
        painter.drawRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
        painter.setFont(QuorFonts::monospaced(9.5, QFont::DemiBold));
        painter.setPen(mix(m_accent, Qt::white, t));
        painter.drawText(bounds, Qt::AlignCenter, text());
    }

private:
    QColor m_accent;
};

// The small round close icon at the end of the pill row.
class DismissIconButton : public HoverButton {
public:
    explicit DismissIconButton(QWidget* parent) : HoverButton(parent)
    {
        setObjectName(QStringLiteral("dismissIcon"));
        setFixedSize(22, 22);
    }

protected:
    void paintHover(QPainter& painter, const QRectF& bounds, double t) override
    {
        painter.setPen(Qt::NoPen);
        painter.setBrush(white(0.14 * t));
        painter.drawEllipse(bounds);
        QuorSymbols::paint(painter, bounds, QStringLiteral("xmark"), white(0.52 + (0.92 - 0.52) * t), 9.5);
    }
};

// The application's mark at the start of the pill row, slightly subdued.
QWidget* brandMark(QWidget* parent)
{
    auto* mark = new QuorPaintedWidget(
        [](QPainter& painter, const QRectF& /*bounds*/) {
            painter.setOpacity(0.9);
            QuorBrandMark::paint(painter, QRectF(0, 0, 14, 14), QuorBrandMarkStyle::currentApp());
        },
        parent);
    mark->setObjectName(QStringLiteral("brandMark"));
    mark->setFixedSize(14, 14);
    return mark;
}

void makeTransparent(QScrollArea* area)
{
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);
    area->setAttribute(Qt::WA_TranslucentBackground);
    area->viewport()->setAutoFillBackground(false);
    area->viewport()->setAttribute(Qt::WA_TranslucentBackground);
    area->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
}
} // namespace

ZubFloatingBarContentView::ZubFloatingBarContentView(ZubFloatingBarState* state, Callbacks callbacks,
                                                     QuorProductPalette palette, QWidget* parent)
    : QWidget(parent),
      m_state(state),
      m_callbacks(std::move(callbacks)),
      m_palette(palette),
      m_accent(QuorProductPalettes::accentColor(palette))
{
    setAttribute(Qt::WA_TranslucentBackground);
    // The bar never takes the keyboard (Escape reaches it through the global key monitor): no
    // part of it claims to be focusable, which a screen reader would take for a stop of its own.
    setFocusPolicy(Qt::NoFocus);

    // Everything lives in one inner widget so the appear effect scales the bar as a whole.
    m_content = new QWidget(this);
    m_content->setAttribute(Qt::WA_TranslucentBackground);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_content);
    m_rootEffect = new PresentEffect(0.95, m_content);
    m_content->setGraphicsEffect(m_rootEffect);

    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(5, 5, 5, 5);
    column->setSpacing(7);
    buildPillRow();
    buildRunningCard();
    column->addWidget(m_pillRow);
    column->addWidget(m_runningCard);
    column->addStretch(1);

    m_shownPresented = m_state && m_state->isPresented();
    m_rootEffect->setProgress(m_shownPresented ? 1.0 : 0.0);
    if (m_state) {
        connect(m_state, &ZubFloatingBarState::changed, this, &ZubFloatingBarContentView::sync);
    }
    sync();
}

ZubFloatingBarContentView::~ZubFloatingBarContentView() = default;

void ZubFloatingBarContentView::buildPillRow()
{
    // The frosted backgrounds always use this application's palette, whatever the accent palette is.
    m_pillRow = new ZubFrostedGlassCapsule(QuorProductPalettes::groundStops(QuorProductPalette::deepCoral));
    m_pillRow->setObjectName(QStringLiteral("pillRow"));
    m_pillRow->installEventFilter(this);
    auto* row = new QHBoxLayout(m_pillRow);
    row->setContentsMargins(6, 5, 6, 5);
    row->setSpacing(4);

    auto* markHolder = new QWidget;
    auto* markLayout = new QHBoxLayout(markHolder);
    markLayout->setContentsMargins(6, 0, 2, 0);
    markLayout->addWidget(brandMark(markHolder));
    row->addWidget(markHolder);

    auto* badge = new LanguageCycleBadge(m_accent, m_pillRow);
    connect(badge, &QAbstractButton::clicked, this, [this] { call(m_callbacks.onCycleTargetLanguage); });
    m_badge = badge;
    row->addWidget(badge);

    // As wide as all pills together, with the pills that exist placed by hand.
    m_pillStrip = new QWidget;
    m_pillStrip->setAttribute(Qt::WA_TranslucentBackground);
    m_pillStrip->setFixedWidth(0);
    m_pillStrip->installEventFilter(this);
    m_pillHeight = pillSize(QFontMetricsF(pillFont()), QString()).height();
    m_pillScroll = new QScrollArea;
    m_pillScroll->setObjectName(QStringLiteral("pillScroll"));
    makeTransparent(m_pillScroll);
    m_pillScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pillScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pillScroll->setWidgetResizable(true);
    m_pillScroll->setWidget(m_pillStrip);
    m_pillScroll->setFixedHeight(22);
    m_pillScroll->viewport()->installEventFilter(this);
    QScrollBar* scrollBar = m_pillScroll->horizontalScrollBar();
    connect(scrollBar, &QScrollBar::valueChanged, this, &ZubFloatingBarContentView::followPillRow);
    connect(scrollBar, &QScrollBar::rangeChanged, this, &ZubFloatingBarContentView::followPillRow);
    row->addWidget(m_pillScroll, 1);

    auto* dismiss = new DismissIconButton(m_pillRow);
    connect(dismiss, &QAbstractButton::clicked, this, [this] { call(m_callbacks.onDismiss); });
    m_dismissIcon = dismiss;
    row->addWidget(dismiss);
    row->addSpacing(2 - row->spacing());
}

void ZubFloatingBarContentView::call(const std::function<void()>& callback) const
{
    if (callback) {
        callback();
    }
}

QPainterPath ZubFloatingBarContentView::surfaceShape() const
{
    QPainterPath shape;
    const auto mapped = [this](const QWidget* widget) { return QRectF(QRect(widget->mapTo(this, QPoint(0, 0)), widget->size())); };
    shape.addPath(ZubFrostedGlassCapsule::shape(mapped(m_pillRow)));
    for (const ZubFrostedGlassCard* card : {m_runningCard, m_resultCard}) {
        if (card != nullptr && !card->isHidden()) {
            shape.addPath(ZubFrostedGlassCard::shape(mapped(card), card->cornerRadius()));
        }
    }
    return shape.simplified();
}

void ZubFloatingBarContentView::sync()
{
    if (m_syncing) {
        m_syncAgain = true;
        return;
    }
    m_syncing = true;
    do {
        m_syncAgain = false;
        syncOnce();
    } while (m_syncAgain);
    m_syncing = false;
}

void ZubFloatingBarContentView::syncOnce()
{
    if (!m_state) {
        return;
    }
    measurePills();
    const PillRange sight = pillsInSight();
    m_presentation = ZubFloatingBarPresentation::make(*m_state, sight.first, sight.count);
    const ZubFloatingBarPresentation& p = m_presentation;

    m_badge->setVisible(p.languageBadge.has_value());
    static_cast<QAbstractButton*>(m_badge)->setText(p.languageBadge.value_or(QString()));
    m_badge->setToolTip(p.badgeTooltip);
    m_badge->updateGeometry();
    m_dismissIcon->setToolTip(p.dismissTooltip);
    syncPills();

    const bool running = p.card == ZubFloatingBarPresentation::Card::running;
    if (running) {
        m_runningTitle->setText(p.runningTitle);
        static_cast<OneLineLabel*>(m_runningPreview)->setText(p.runningPreview);
        if (m_runningCard->isHidden()) {
            m_runningCard->show();
            animateCardIn(m_runningCard);
        }
    } else {
        m_runningCard->hide();
    }

    if (p.card == ZubFloatingBarPresentation::Card::result && p.result) {
        if (!m_resultCard || m_shownResult != p.result || m_shownResultValue != m_state->result()) {
            const bool wasShown = m_resultCard != nullptr && !m_resultCard->isHidden();
            rebuildResultCard(*p.result);
            if (!wasShown) {
                animateCardIn(m_resultCard);
            }
        }
        m_resultCard->show();
    } else if (m_resultCard) {
        m_resultCard->hide();
        m_content->layout()->removeWidget(m_resultCard);
        m_resultCard->deleteLater();
        m_resultCard = nullptr;
        m_shownResult.reset();
        m_shownResultValue.reset();
        emit surfaceShapeChanged();
    }

    if (m_state->isPresented() != m_shownPresented) {
        m_shownPresented = m_state->isPresented();
        if (m_shownPresented) {
            // Each showing starts with the first actions in view, wherever the last one was left.
            m_pillScroll->horizontalScrollBar()->setValue(m_pillScroll->horizontalScrollBar()->minimum());
        }
        animatePresented(m_shownPresented);
    }
}

void ZubFloatingBarContentView::measurePills()
{
    const QList<ZubActionDefinition>& actions = m_state->actions();
    if (m_measuredActions == actions && m_measuredLanguage == m_state->language()) {
        return;
    }
    m_measuredActions = actions;
    m_measuredLanguage = m_state->language();
    m_pillLefts = {0};
    if (actions.isEmpty()) {
        m_pillStrip->setFixedWidth(0);
    }
    m_pillScroll->setFixedHeight(actions.isEmpty() ? 22 : std::max(22, m_pillHeight));
}

void ZubFloatingBarContentView::measurePillsTo(qint64 right)
{
    const qsizetype total = m_state->actions().size();
    qsizetype measured = m_pillLefts.size() - 1;
    if (measured == total || m_pillLefts.last() >= right) {
        return;
    }
    const QFontMetricsF metrics(pillFont());
    for (; measured < total && m_pillLefts.last() < right; ++measured) {
        const QString title = ZubFloatingBarPresentation::makePill(*m_state, measured).title;
        m_pillLefts.append(m_pillLefts.last() + pillSize(metrics, title).width() + kPillGap);
    }
    // The pills not measured yet are taken to be as wide as those measured, on average.
    const qint64 end = m_pillLefts.last() + (total - measured) * (m_pillLefts.last() / measured);
    m_pillStrip->setFixedWidth(static_cast<int>(std::min<qint64>(end - kPillGap, QWIDGETSIZE_MAX)));
}

ZubFloatingBarContentView::PillRange ZubFloatingBarContentView::pillsInSight()
{
    const qint64 left = m_pillScroll->horizontalScrollBar()->value();
    const qint64 from = left - pillsAheadPixels;
    const qint64 to = left + std::max(m_pillScroll->viewport()->width(), kPillSightBeforeLayout) + pillsAheadPixels;
    measurePillsTo(to);
    // The first pill that ends after `from`, up to the first that starts at `to` or after it.
    const auto lefts = m_pillLefts.cbegin();
    const qsizetype measured = m_pillLefts.size() - 1;
    const qsizetype first = std::upper_bound(lefts + 1, m_pillLefts.cend(), from) - (lefts + 1);
    const qsizetype end = std::lower_bound(lefts, lefts + measured, to) - lefts;
    return {first, std::max(first, end) - first};
}

void ZubFloatingBarContentView::followPillRow()
{
    if (m_syncing) {
        // The pass under way may have made the pills for where the row was: it runs once more.
        m_syncAgain = true;
        return;
    }
    if (!m_state || m_syncingPills) {
        return;
    }
    const PillRange sight = pillsInSight();
    if (sight.first != m_presentation.firstPill || sight.count != m_presentation.pills.size()) {
        m_presentation.firstPill = sight.first;
        m_presentation.pills = ZubFloatingBarPresentation::makePills(*m_state, sight.first, sight.count);
    }
    syncPills();
}

void ZubFloatingBarContentView::syncPills()
{
    // Showing and placing pills must not start another pass over the same pills.
    const QScopedValueRollback guard(m_syncingPills, true);
    const ZubFloatingBarPresentation& p = m_presentation;
    for (auto it = m_pills.begin(); it != m_pills.end();) {
        const qsizetype at = it->first - p.firstPill;
        const auto& shown = it->second.pill;
        // A pill's identity is its action: keeping it while that stays keeps its hover.
        if (at >= 0 && at < p.pills.size() && shown.action == p.pills[at].action && shown.title == p.pills[at].title) {
            ++it;
            continue;
        }
        // It may hold the click that changed the state: it goes once that click is handled.
        it->second.button->hide();
        it->second.button->deleteLater();
        it = m_pills.erase(it);
    }
    bool made = false;
    for (qsizetype i = 0; i < p.pills.size(); ++i) {
        const qsizetype index = p.firstPill + i;
        auto found = m_pills.find(index);
        if (found == m_pills.end()) {
            found = m_pills.emplace(index, ShownPill{makePillButton(p.pills[i]), p.pills[i]}).first;
            made = true;
        }
        found->second.pill = p.pills[i];
        static_cast<PillActionButton*>(found->second.button)->setActive(p.pills[i].isActive);
        placePill(found->second.button, index);
        found->second.button->show();
    }
    if (made) {
        // A screen reader reads the row in the order of its children: the order of the pills.
        for (const auto& [index, shown] : m_pills) {
            shown.button->raise();
        }
    }
}

QAbstractButton* ZubFloatingBarContentView::makePillButton(const ZubFloatingBarPresentation::Pill& pill)
{
    auto* button = new PillActionButton(pill, m_pillStrip);
    const ZubActionDefinition action = pill.action;
    connect(button, &QAbstractButton::clicked, this, [this, action] {
        if (m_callbacks.onSelectAction) {
            m_callbacks.onSelectAction(action);
        }
    });
    return button;
}

void ZubFloatingBarContentView::placePill(QAbstractButton* button, qsizetype index) const
{
    const auto clamped = [](qint64 x) { return static_cast<int>(std::min<qint64>(x, QWIDGETSIZE_MAX)); };
    const int left = clamped(m_pillLefts[index]);
    const int width = clamped(m_pillLefts[index + 1] - kPillGap) - left;
    button->setGeometry(left, (m_pillStrip->height() - m_pillHeight) / 2, width, m_pillHeight);
}

void ZubFloatingBarContentView::animatePresented(bool presented)
{
    if (m_presentAnimation) {
        m_presentAnimation->stop();
        m_presentAnimation->deleteLater();
    }
    const double target = presented ? 1.0 : 0.0;
    if (!QuorAnimation::enabled()) {
        m_rootEffect->setProgress(target);
        return;
    }
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(m_rootEffect->progress());
    animation->setEndValue(target);
    // Appearing springs in over 0.22 s; disappearing eases out over 0.14 s.
    animation->setDuration(presented ? 220 : 140);
    QEasingCurve curve(presented ? QEasingCurve::OutBack : QEasingCurve::OutCubic);
    if (presented) {
        curve.setOvershoot(0.6); // a lightly damped spring
    }
    animation->setEasingCurve(curve);
    connect(animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_rootEffect->setProgress(std::clamp(value.toDouble(), 0.0, 1.0)); });
    m_presentAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void ZubFloatingBarContentView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (m_callbacks.onHoverChanged) {
        m_callbacks.onHoverChanged(true);
    }
}

void ZubFloatingBarContentView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_callbacks.onHoverChanged) {
        m_callbacks.onHoverChanged(false);
    }
}

void ZubFloatingBarContentView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        call(m_callbacks.onDismiss);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ZubFloatingBarContentView::eventFilter(QObject* watched, QEvent* event)
{
    if (m_pillScroll != nullptr && watched == m_pillScroll->viewport() && event->type() == QEvent::Wheel) {
        // A plain wheel scrolls the pill row sideways.
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        const int step = std::abs(delta.x()) > std::abs(delta.y()) ? delta.x() : delta.y();
        QScrollBar* bar = m_pillScroll->horizontalScrollBar();
        bar->setValue(bar->value() - step / 2);
        return true;
    }
    if (event->type() == QEvent::Resize && m_pillScroll != nullptr
        && (watched == m_pillStrip || watched == m_pillScroll->viewport())) {
        followPillRow();
    }
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::Hide:
        if (watched == m_pillRow || watched == m_runningCard || watched == m_resultCard) {
            emit surfaceShapeChanged();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
