#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointF>
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

// Shows content in a small floating panel that, unless its caller asks for the keyboard
// (`takesKeyboard`, for content with a field to type into), never takes the keyboard from the
// application the user works in. The panel is made on the first show and reused; each show builds
// new content.
// The panel is the user's current window from its showing until they click elsewhere (and again
// after a click into it): then Escape dismisses it, whether typed into another application or
// into one of this application's windows that has no use for it (a popup or a dialog keeps its
// own Escape). A click outside dismisses it too with `dismissOnResignKey`; without, the panel
// stays and Escape is left to the window the user turned to. The global monitor runs only while
// the panel shows. GUI thread only.
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
    // The panel becomes the active window at each show, so its fields can be typed into.
    bool takesKeyboard = false;

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

    // Whether the panel takes Escape and counts a click outside as turning away from it.
    bool isKey() const { return m_isKey; }
    // Whether Escape and clicks are watched (only while the panel shows).
    bool isMonitoring() const { return m_monitoring; }

    struct ScreenScale {
        QRect geometry; // in logical pixels; its top-left corner is also where it starts in device pixels
        qreal devicePixelRatio = 1;
    };
    // A position in device pixels, as the X server reports the pointer, in logical pixels: scaled by
    // the screen it lies on, each screen keeping its own ratio. Off every screen, the first one's.
    static QPointF logicalPosition(QPointF devicePosition, const QList<ScreenScale>& screens);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QuorFloatingNSPanel* ensurePanel();
    void startMonitoring();
    void stopMonitoring();
    bool takesEscapeFrom(QObject* receiver) const;
    void handleGlobalPress(const quor::platform::MouseButtonEvent& event);
    void handleGlobalKey(const quor::platform::KeyPressEvent& event);

    std::unique_ptr<QuorFloatingNSPanel> m_panel;
    std::unique_ptr<quor::platform::GlobalMouseMonitor> m_monitor;
    bool m_isKey = false;
    bool m_monitoring = false;
};
