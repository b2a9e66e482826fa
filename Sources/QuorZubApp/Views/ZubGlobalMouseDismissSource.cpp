#include "QuorZubApp/Views/ZubGlobalMouseDismissSource.h"

#include "QuorPlatform/MouseMonitor/QuorGlobalMouseMonitor.h"

#include <QGuiApplication>
#include <QScreen>

#include <X11/keysym.h>

namespace {
constexpr int kLeftButton = 1;
constexpr int kRightButton = 3;
} // namespace

ZubGlobalMouseDismissSource::ZubGlobalMouseDismissSource(QObject* parent)
    : ZubFloatingBarDismissSource(parent), m_monitor(std::make_unique<quor::platform::GlobalMouseMonitor>())
{
    connect(m_monitor.get(), &quor::platform::GlobalMouseMonitor::buttonEvent, this,
            &ZubGlobalMouseDismissSource::handle);
    connect(m_monitor.get(), &quor::platform::GlobalMouseMonitor::keyPressed, this,
            &ZubGlobalMouseDismissSource::handleKey);
}

ZubGlobalMouseDismissSource::~ZubGlobalMouseDismissSource()
{
    m_monitor->stop();
}

void ZubGlobalMouseDismissSource::start()
{
    // Every key and click on the display passes through the monitor: it runs only while the bar
    // is up.
    quor::platform::GlobalMouseMonitor::Options options;
    options.reportedKeysyms = {XK_Escape};
    options.reportsWindowProcess = true;
    m_monitor->start(options);
}

void ZubGlobalMouseDismissSource::stop()
{
    m_monitor->stop();
}

bool ZubGlobalMouseDismissSource::isMonitoring() const
{
    return m_monitor->isRunning();
}

void ZubGlobalMouseDismissSource::handle(const quor::platform::MouseButtonEvent& event)
{
    if (!isMonitoring() || event.kind != quor::platform::MouseButtonEvent::Kind::press
        || (event.button != kLeftButton && event.button != kRightButton)) {
        return;
    }
    // Our own windows (the studio, a save dialog opened from the bar) are no outside: only clicks in
    // other applications dismiss the bar.
    if (event.windowProcess == QCoreApplication::applicationPid()) {
        return;
    }
    // The monitor reports device pixels; the bar lives in logical coordinates.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    emit mouseDown((event.position / ratio).toPoint());
}

void ZubGlobalMouseDismissSource::handleKey(const quor::platform::KeyPressEvent& event)
{
    // With one of our own windows focused, the event filter sees the same Escape and keeps it from
    // the window; reporting it here too could hide the bar first and let the key through.
    if (!isMonitoring() || event.keysym != XK_Escape || QGuiApplication::focusWindow() != nullptr) {
        return;
    }
    emit escapePressed();
}
