#include "Support/QuorRootWindowProperties.h"

#include "QuorPlatform/X11/QuorX11Connection.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

QuorRootWindowProperties::QuorRootWindowProperties() : m_connection(quor::platform::X11Connection::forCurrentThread())
{
    if (m_connection == nullptr) {
        return;
    }
    m_check = read(check);
    m_active = read(active);
    const std::optional<qint64> pid = m_check ? m_connection->clientProcess(*m_check) : std::nullopt;
    const QStringList desktop = qEnvironmentVariable("QUOR_TEST_DESKTOP_PIDS").split(u' ', Qt::SkipEmptyParts);
    m_onTestDesktop = pid && desktop.contains(QString::number(*pid));
}

QuorRootWindowProperties::~QuorRootWindowProperties()
{
    if (m_written) {
        write(check, m_check);
        write(active, m_active);
    }
}

std::optional<unsigned long> QuorRootWindowProperties::read(const char* name)
{
    return m_connection->windowProperty(m_connection->root(), name);
}

void QuorRootWindowProperties::write(const char* name, std::optional<unsigned long> window)
{
    Display* display = m_connection->display();
    const Atom property = m_connection->atom(name);
    if (window) {
        const long value = static_cast<long>(*window);
        XChangeProperty(display, m_connection->root(), property, XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&value), 1);
    } else {
        XDeleteProperty(display, m_connection->root(), property);
    }
    XSync(display, False);
    m_written = true;
}
