#include "QuorZubApp/App/ZubMenuBarExtra.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorPopoverWindow.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorZubApp/App/MenuBarZubPopoverView.h"
#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"

#include <QAbstractButton>
#include <QCursor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {
constexpr int kGap = 4;
// The badge font at a whole pixel size, hinted to the pixel grid so small capitals stay sharp.
QFont badgeFont(int pixelSize)
{
    QFont font = QuorFonts::monospaced(pixelSize, QFont::Bold);
    font.setPixelSize(pixelSize);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The tray icon, drawn at whatever size the tray asks for when it asks: a tray shows one size, and
// drawing every size up front would hold back the icon's first appearance.
class BadgeIconEngine : public QIconEngine {
public:
    explicit BadgeIconEngine(ZubMenuBarExtra::Label label) : m_label(std::move(label)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap drawn = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, drawn);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        // The tray repaints its icon now and then; each size is drawn once.
        const auto key = std::pair(size.width(), size.height());
        if (const auto found = m_drawn.find(key); found != m_drawn.end()) {
            return found->second;
        }
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        draw(painter, std::min(size.width(), size.height()));
        painter.end();
        m_drawn.emplace(key, pixmap);
        return pixmap;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        // Trays that take a set of images (the StatusNotifier ones) get the usual panel sizes.
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48), QSize(64, 64)};
    }

    QIconEngine* clone() const override { return new BadgeIconEngine(m_label); }

private:
    void draw(QPainter& painter, int side) const
    {
        const ZubMenuBarExtra::IconLayout layout = ZubMenuBarExtra::iconLayout(m_label, side);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const double radius = side * 0.22;
        painter.setPen(Qt::NoPen);
        painter.setBrush(ZubMenuBarExtra::iconPlate());
        painter.drawRoundedRect(QRectF(0, 0, side, side), radius, radius);
        painter.setOpacity(layout.markOpacity);
        if (layout.showsGlyph) {
            QuorSymbols::paint(painter, layout.glyph, QStringLiteral("sparkles.rectangle.stack.fill"), Qt::white,
                               layout.glyph.height() / 1.25);
        }
        const QFont font = badgeFont(layout.pixelSize);
        const QFontMetricsF metrics(font);
        painter.setFont(font);
        painter.setPen(Qt::white);
        for (qsizetype i = 0; i < layout.lines.size(); ++i) {
            // Capitals only: the line box is their height, with the baseline at its bottom.
            const QRectF box = layout.lineBoxes[i];
            const double width = metrics.horizontalAdvance(layout.lines[i]);
            painter.drawText(QPointF(box.center().x() - width / 2, box.bottom()), layout.lines[i]);
        }
    }

    ZubMenuBarExtra::Label m_label;
    std::map<std::pair<int, int>, QPixmap> m_drawn;
};
} // namespace

QColor ZubMenuBarExtra::iconPlate()
{
    return {28, 24, 38};
}

ZubMenuBarExtra::IconLayout ZubMenuBarExtra::iconLayout(const Label& label, int side)
{
    IconLayout layout;
    // A paused icon keeps its marks readable: white at this opacity still stands 6:1 off the plate.
    layout.markOpacity = label.isPaused ? 0.55 : 1.0;
    const double margin = std::max(1.0, std::floor(side / 16.0));
    QRectF textArea(margin, margin, side - 2 * margin, side - 2 * margin);
    layout.showsGlyph = side >= 32;
    if (layout.showsGlyph) {
        const double glyphSide = std::round(side * 0.55);
        layout.glyph = QRectF((side - glyphSide) / 2, margin / 2, glyphSide, glyphSide);
        textArea.setTop(layout.glyph.bottom() + margin / 2);
        layout.lines = {label.badge};
    } else {
        // "TR↔EN" reads as its two languages, one above the other; the arrow has no room.
        const QStringList parts = label.badge.split(QChar(0x2194), Qt::SkipEmptyParts);
        layout.lines = parts.size() == 2 ? parts : QStringList{label.badge};
    }
    const double gap = layout.lines.size() > 1 ? std::max(1.0, std::round(side / 10.0)) : 0.0;
    const double capsRoom = (textArea.height() - gap * (layout.lines.size() - 1)) / layout.lines.size();
    // The largest whole pixel size whose capitals fit the room and whose lines fit the width.
    layout.pixelSize = 4;
    double capHeight = 0;
    for (int pixelSize = static_cast<int>(side); pixelSize >= 4; --pixelSize) {
        const QFontMetricsF metrics(badgeFont(pixelSize));
        bool fits = metrics.capHeight() <= capsRoom;
        for (const QString& line : layout.lines) {
            fits = fits && metrics.horizontalAdvance(line) <= textArea.width();
        }
        if (fits || pixelSize == 4) {
            layout.pixelSize = pixelSize;
            capHeight = metrics.capHeight();
            break;
        }
    }
    const double block = capHeight * layout.lines.size() + gap * (layout.lines.size() - 1);
    double top = std::round(textArea.center().y() - block / 2);
    for (qsizetype i = 0; i < layout.lines.size(); ++i) {
        layout.lineBoxes.append(QRectF(textArea.left(), top, textArea.width(), capHeight));
        top += capHeight + gap;
    }
    return layout;
}

ZubMenuBarExtra::Label ZubMenuBarExtra::label(bool autoShowOnSelection, ZubTargetLanguage targetLanguage)
{
    Label label;
    label.isPaused = !autoShowOnSelection;
    label.symbolName = autoShowOnSelection ? QStringLiteral("sparkles.rectangle.stack.fill")
                                           : QStringLiteral("sparkles.rectangle.stack");
    label.badge = ZubTargetLanguages::shortBadge(targetLanguage);
    label.toolTip = QStringLiteral("QuorZub — ") + label.badge;
    return label;
}

QIcon ZubMenuBarExtra::renderIcon(const Label& label)
{
    return QIcon(new BadgeIconEngine(label));
}

QRect ZubMenuBarExtra::popupFrame(QSize size, const QRect& trayGeometry, QPoint pointer, const QRect& available)
{
    QRect frame(QPoint(), size);
    if (trayGeometry.isValid() && !trayGeometry.isEmpty()) {
        // A panel at the top opens the popup downwards, one at the bottom upwards.
        const bool atTop = trayGeometry.center().y() < available.center().y();
        frame.moveTop(atTop ? trayGeometry.bottom() + 1 + kGap : trayGeometry.top() - kGap - size.height());
        frame.moveLeft(trayGeometry.center().x() - size.width() / 2);
    } else {
        frame.moveTopLeft(pointer + QPoint(kGap, kGap));
    }
    frame.moveLeft(std::clamp(frame.left(), available.left(), std::max(available.left(), available.right() - size.width() + 1)));
    frame.moveTop(std::clamp(frame.top(), available.top(), std::max(available.top(), available.bottom() - size.height() + 1)));
    return frame;
}

ZubMenuBarExtra::ZubMenuBarExtra(ZubStudioViewModel* viewModel, std::function<void()> onOpenStudio, QColor accent,
                                 QObject* parent)
    : QObject(parent), m_viewModel(viewModel), m_onOpenStudio(std::move(onOpenStudio)), m_accent(std::move(accent)),
      m_trayIcon(std::make_unique<QSystemTrayIcon>())
{
    connect(m_trayIcon.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::Context
            || reason == QSystemTrayIcon::DoubleClick) {
            togglePopup();
        }
    });
    if (m_viewModel) {
        connect(m_viewModel, &ZubStudioViewModel::changed, this, &ZubMenuBarExtra::sync);
    }
    sync();
    // Shown where a tray exists; where none does, the studio window's menu and the hot keys reach
    // every command.
    m_trayIcon->show();
}

ZubMenuBarExtra::~ZubMenuBarExtra() = default;

QWidget* ZubMenuBarExtra::popup() const
{
    return m_popup.get();
}

void ZubMenuBarExtra::sync()
{
    if (!m_viewModel) {
        return;
    }
    const Label next = label(m_viewModel->config().autoShowOnSelection, m_viewModel->config().targetLanguage);
    if (m_hasLabel && next == m_label) {
        return;
    }
    m_label = next;
    m_hasLabel = true;
    m_trayIcon->setIcon(renderIcon(m_label));
    m_trayIcon->setToolTip(m_label.toolTip);
}

QWidget* ZubMenuBarExtra::ensurePopup()
{
    if (m_popup) {
        return m_popup.get();
    }
    // A real window rather than a popup, so screen readers list it among the application's windows
    // and it keeps the keyboard focus it is given; it closes when another window takes the focus.
    auto popup = std::make_unique<QuorPopoverWindow>(QStringLiteral("QuorZub"));
    auto* layout = new QVBoxLayout(popup.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_view = new MenuBarZubPopoverView(m_viewModel, m_onOpenStudio, m_accent, popup.get());
    m_view->onWillAct = [this] { closePopup(); };
    layout->addWidget(m_view);
    m_popup = std::move(popup);
    return m_popup.get();
}

void ZubMenuBarExtra::togglePopup()
{
    QWidget* popup = ensurePopup();
    if (popup->isVisible()) {
        closePopup();
        return;
    }
    auto* window = static_cast<QuorPopoverWindow*>(popup);
    if (window->closedJustNow()) {
        return;
    }
    popup->adjustSize();
    const QPoint pointer = QCursor::pos();
    const QRect tray = m_trayIcon->geometry();
    QScreen* screen = QGuiApplication::screenAt(tray.isValid() ? tray.center() : pointer);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect available = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1440, 900);
    popup->setGeometry(popupFrame(popup->sizeHint(), tray, pointer, available));
    // The keyboard starts at the switch, the first of its controls, not at the feedback icon beside it.
    window->present(false, m_view->autoShowSwitch());
}

void ZubMenuBarExtra::closePopup()
{
    if (m_popup && m_popup->isVisible()) {
        m_popup->hide();
    }
}
