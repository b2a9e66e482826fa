#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>

class QuorFloatingNSPanel;
class QWidget;

namespace quor::platform {
class GlobalMouseMonitor;
struct KeyPressEvent;
struct MouseButtonEvent;
} // namespace quor::platform

// Shows content in a small floating panel that never takes the keyboard from the application the
// user works in. The panel is made on the first show and reused; each show builds new content.
// Escape (typed anywhere) dismisses it, and with `dismissOnResignKey` so does a click outside it.
// GUI thread only.
class QuorFloatingPanelController : public QObject {
    Q_OBJECT
public:
    using ContentBuilder = std::function<QWidget*()>;

    QuorFloatingPanelController(QSize size, bool dismissOnResignKey, std::function<void()> onDismiss,
                                QObject* parent = nullptr);
    ~QuorFloatingPanelController() override;

    QSize size;
    bool dismissOnResignKey;
    std::function<void()> onDismiss;

    QuorFloatingNSPanel* panel() const { return m_panel.get(); }
    bool isVisible() const;

    // With an anchor the panel's top-left corner goes to the anchor's; otherwise, when centring, it
    // is centred on the screen under the pointer (centredOrigin()); otherwise it stays where it was.
    void show(bool centeredOnActiveScreen, std::optional<QRect> anchorFrame, const ContentBuilder& content);
    // Hides a visible panel (calling onDismiss), shows it otherwise.
    void toggle(bool centeredOnActiveScreen, std::optional<QRect> anchorFrame, const ContentBuilder& content);
    // Hides the panel if it exists, then calls onDismiss; always both.
    void hide();
    // The user turned to something else (clicked outside the panel).
    void windowDidResignKey();

    // Centred horizontally on `visibleFrame`, 40 pixels above its centre, but with its bottom edge
    // at least 24 pixels above the frame's bottom edge (that bound wins for a tall panel).
    static QPoint centredOrigin(QSize size, const QRect& visibleFrame);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QuorFloatingNSPanel* ensurePanel();
    void startMonitoring();
    void handleGlobalPress(const quor::platform::MouseButtonEvent& event);
    void handleGlobalKey(const quor::platform::KeyPressEvent& event);

    std::unique_ptr<QuorFloatingNSPanel> m_panel;
    std::unique_ptr<quor::platform::GlobalMouseMonitor> m_monitor;
};
