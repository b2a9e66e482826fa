#include "QuorKit/Design/QuorUnifiedTitlebar.h"

#include <QEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <cmath>

QuorUnifiedTitlebarMetrics QuorUnifiedTitlebarMetrics::calculate(double trafficLightMaxX, double trafficLightCenterY,
                                                                 double trafficLightBottomY, bool isFullScreen,
                                                                 double fullscreenLeading, double gap,
                                                                 double sidebarVerticalGap)
{
    if (isFullScreen) {
        return {fullscreenLeading, 26, 0, fullscreenLeading, true};
    }
    const double bottom = trafficLightBottomY > 0 ? trafficLightBottomY : 23;
    return {
        trafficLightMaxX > 0 ? std::ceil(trafficLightMaxX + gap) : fallbackLeadingClearance,
        trafficLightCenterY > 0 ? trafficLightCenterY : 26,
        bottom,
        std::ceil(bottom + sidebarVerticalGap),
        false,
    };
}

QuorUnifiedTitlebarMetrics QuorUnifiedTitlebarMetrics::forDecoratedWindow(bool isFullScreen, double fullscreenLeading,
                                                                          double gap)
{
    QuorUnifiedTitlebarMetrics metrics =
        calculate(0, 0, 0, true, fullscreenLeading, gap, sidebarTrafficLightVerticalGap);
    metrics.isFullScreen = isFullScreen;
    return metrics;
}

namespace {
const char* const kStoreProperty = "quorTitlebarMetricsStore";

// Moves the window from a header's empty parts and maximizes it on a double click.
class DragFilter : public QObject {
public:
    explicit DragFilter(QWidget* header) : QObject(header) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* header = qobject_cast<QWidget*>(watched);
        if (header == nullptr) {
            return false;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            if (QuorWindowDragArea::actionForClick(2) == QuorWindowDragArea::Action::zoom) {
                QWidget* window = header->window();
                window->isMaximized() ? window->showNormal() : window->showMaximized();
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && header->window()->windowHandle() != nullptr) {
                return header->window()->windowHandle()->startSystemMove();
            }
        }
        return false;
    }
};

// Paints a header's background colour behind its children.
class BackgroundFilter : public QObject {
public:
    BackgroundFilter(QWidget* header, QColor color) : QObject(header), m_color(color) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            auto* header = static_cast<QWidget*>(watched);
            QPainter painter(header);
            painter.fillRect(header->rect(), m_color);
        }
        return false;
    }

private:
    QColor m_color;
};
} // namespace

QuorTitlebarMetricsStore::QuorTitlebarMetricsStore(QWidget* root, QuorUnifiedTitlebarMode mode,
                                                   double fullscreenLeading, double gap)
    : QObject(root), m_root(root), m_mode(mode), m_fullscreenLeading(fullscreenLeading), m_gap(gap)
{
    root->setProperty(kStoreProperty, QVariant::fromValue(static_cast<QObject*>(this)));
    root->installEventFilter(this);
    m_metrics = QuorUnifiedTitlebarMetrics::forDecoratedWindow(false, m_fullscreenLeading, m_gap);
    attach();
}

QuorTitlebarMetricsStore* QuorTitlebarMetricsStore::find(const QWidget* widget)
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto* store = qobject_cast<QuorTitlebarMetricsStore*>(w->property(kStoreProperty).value<QObject*>())) {
            return store;
        }
    }
    return nullptr;
}

void QuorTitlebarMetricsStore::attach()
{
    QWidget* window = m_root ? m_root->window() : nullptr;
    if (window == m_window) {
        report();
        return;
    }
    if (m_window && m_window != m_root) {
        m_window->removeEventFilter(this);
    }
    m_window = window;
    if (m_window && m_window != m_root) {
        m_window->installEventFilter(this);
    }
    report();
}

void QuorTitlebarMetricsStore::report()
{
    const bool fullScreen = m_window && m_window->isFullScreen();
    const QuorUnifiedTitlebarMetrics metrics =
        QuorUnifiedTitlebarMetrics::forDecoratedWindow(fullScreen, m_fullscreenLeading, m_gap);
    if (metrics != m_metrics) {
        m_metrics = metrics;
        emit metricsChanged();
    }
}

bool QuorTitlebarMetricsStore::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
        if (watched == m_root) {
            attach();
        }
        break;
    case QEvent::WindowStateChange:
        if (watched == m_window) {
            report();
        }
        break;
    default:
        break;
    }
    return false;
}

QuorTitlebarMetricsStore* quorUnifiedTitlebarWindow(QWidget* root, QuorUnifiedTitlebarMode mode,
                                                    double fullscreenLeading, double trafficLightGap)
{
    return new QuorTitlebarMetricsStore(root, mode, fullscreenLeading, trafficLightGap);
}

void quorUnifiedHeaderBar(QWidget* header, double minHeight, double trailingPadding, double verticalPadding,
                          const QColor& backgroundColor)
{
    const auto apply = [header, trailingPadding, verticalPadding] {
        const QuorTitlebarMetricsStore* store = QuorTitlebarMetricsStore::find(header);
        const QuorUnifiedTitlebarMetrics metrics = store ? store->metrics() : QuorUnifiedTitlebarMetrics{};
        if (QLayout* layout = header->layout()) {
            const int vertical = static_cast<int>(std::lround(verticalPadding));
            layout->setContentsMargins(static_cast<int>(std::lround(metrics.leadingClearance)), vertical,
                                       static_cast<int>(std::lround(trailingPadding)), vertical);
        }
    };
    apply();
    if (QuorTitlebarMetricsStore* store = QuorTitlebarMetricsStore::find(header)) {
        QObject::connect(store, &QuorTitlebarMetricsStore::metricsChanged, header, apply);
    }
    header->setMinimumHeight(static_cast<int>(std::ceil(minHeight)));
    if (backgroundColor.alpha() > 0) {
        header->installEventFilter(new BackgroundFilter(header, backgroundColor));
    }
    header->installEventFilter(new DragFilter(header));
    header->raise();
}

namespace QuorWindowDragArea {
Action actionForClick(int clickCount)
{
    return clickCount == 2 ? Action::zoom : Action::drag;
}
} // namespace QuorWindowDragArea
