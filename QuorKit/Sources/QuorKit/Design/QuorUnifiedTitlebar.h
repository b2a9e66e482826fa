#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

class QWidget;

// How a window's content meets its title-bar strip: a header row drawn as the top of the content, or
// content (typically a sidebar) running to the top.
enum class QuorUnifiedTitlebarMode { unifiedHeader, fullHeightSidebar };

// Where a header row may start and how far content runs under the title strip, in points.
struct QuorUnifiedTitlebarMetrics {
    double leadingClearance = fallbackLeadingClearance;
    double trafficLightCenterY = 26;
    double trafficLightBottomY = 33;
    double sidebarTopClearance = 37;
    bool isFullScreen = false;

    static constexpr double standardHeight = 52;
    static constexpr double fallbackLeadingClearance = 93;
    static constexpr double fullscreenLeadingMargin = 16;
    static constexpr double trafficLightGap = 14;
    static constexpr double sidebarTrafficLightVerticalGap = 14;

    // The metrics from measured window buttons: in full screen the leading margin alone; else the
    // buttons' right edge plus the gap (93 without buttons), their centre (26 when unknown), their
    // bottom (23 when unknown) and that bottom plus the sidebar gap.
    static QuorUnifiedTitlebarMetrics calculate(double trafficLightMaxX, double trafficLightCenterY,
                                                double trafficLightBottomY, bool isFullScreen,
                                                double fullscreenLeading, double gap, double sidebarVerticalGap);

    // A window whose manager draws its buttons in its own frame has none over the content, as a
    // full-screen window has none: the header only keeps the small leading margin.
    static QuorUnifiedTitlebarMetrics forDecoratedWindow(bool isFullScreen, double fullscreenLeading, double gap);

    bool operator==(const QuorUnifiedTitlebarMetrics& other) const = default;
};

// The metrics of one window, published to the header rows inside it. Lives as a child of the
// window's root widget; follows the window's full-screen state.
class QuorTitlebarMetricsStore : public QObject {
    Q_OBJECT
public:
    QuorTitlebarMetricsStore(QWidget* root, QuorUnifiedTitlebarMode mode, double fullscreenLeading, double gap);

    const QuorUnifiedTitlebarMetrics& metrics() const { return m_metrics; }
    QuorUnifiedTitlebarMode mode() const { return m_mode; }
    // The store of the nearest ancestor (or `widget` itself) that carries one.
    static QuorTitlebarMetricsStore* find(const QWidget* widget);

signals:
    void metricsChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attach();
    void report();

    QPointer<QWidget> m_root;
    QPointer<QWidget> m_window;
    QuorUnifiedTitlebarMode m_mode;
    double m_fullscreenLeading;
    double m_gap;
    QuorUnifiedTitlebarMetrics m_metrics;
};

// Makes `root` the content of a window with a unified header; the studio passes unifiedHeader, 16
// and 14. The window keeps the window manager's decorations.
QuorTitlebarMetricsStore* quorUnifiedTitlebarWindow(QWidget* root, QuorUnifiedTitlebarMode mode,
                                                    double fullscreenLeading, double trafficLightGap);

// Lays a header row out under such a window's metrics: the leading clearance, the trailing and
// vertical padding, a minimum height and a background; its empty parts move the window, and a
// double click on them maximizes or restores it. `header` must have a layout.
void quorUnifiedHeaderBar(QWidget* header, double minHeight, double trailingPadding, double verticalPadding,
                          const QColor& backgroundColor);

// What a press on a header's empty part does.
namespace QuorWindowDragArea {
enum class Action { drag, zoom };
Action actionForClick(int clickCount);
} // namespace QuorWindowDragArea
