#include "QuorZubHarness.h"

#include "Support/QuorTestProcesses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

#include <signal.h>

QuorZubInstance::QuorZubInstance()
{
    for (const char* folder : {"home", "data", "config", "cache", "state"}) {
        QDir(m_root.path()).mkpath(QString::fromLatin1(folder));
    }
    QDir(m_root.path()).mkdir(QStringLiteral("run"));
    QFile::setPermissions(m_root.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    quorEndWithThisProcess(m_process);
}

QuorZubInstance::~QuorZubInstance()
{
    stop();
    // What the program printed and logged tells a lost click from a fault of the program.
    if (QTest::currentTestFailed()) {
        qInfo("quorzub output:\n%s", output().constData());
        QFile log(logPath());
        if (log.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = log.readAll().split('\n');
            for (const QByteArray& line : lines.mid(std::max<qsizetype>(0, lines.size() - 80))) {
                qInfo("quorzub log: %s", line.constData());
            }
        }
    }
}

QString QuorZubInstance::binaryPath()
{
    return qEnvironmentVariable("QUOR_BINARY_DIR") + QStringLiteral("/bin/quorzub");
}

QString QuorZubInstance::dataFolder() const
{
    return m_root.filePath(QStringLiteral("data/Tallowmer/QuorZub"));
}

QString QuorZubInstance::configPath() const
{
    return dataFolder() + QStringLiteral("/config.json");
}

QString QuorZubInstance::historyPath() const
{
    return dataFolder() + QStringLiteral("/history.json");
}

QString QuorZubInstance::logPath() const
{
    return dataFolder() + QStringLiteral("/logs/quorzub.log");
}

void QuorZubInstance::writeConfig(const QByteArray& json)
{
    QDir().mkpath(dataFolder());
    QFile file(configPath());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(json);
}

void QuorZubInstance::setEnvironmentVariable(const QString& name, const QString& value)
{
    m_extraEnvironment.insert(name, value);
}

QProcessEnvironment QuorZubInstance::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_root.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_root.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), m_root.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_STATE_HOME"), m_root.filePath(QStringLiteral("state")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(m_extraEnvironment);
    return env;
}

std::optional<std::chrono::milliseconds> QuorZubInstance::start(std::chrono::milliseconds timeout)
{
    m_process.setProcessEnvironment(environment());
    QElapsedTimer clock;
    clock.start();
    m_process.start(binaryPath(), {});
    if (!m_process.waitForStarted(5000)) {
        return std::nullopt;
    }
    while (clock.elapsed() < timeout.count()) {
        if (!logMessages(QStringLiteral(" launched (")).isEmpty()) {
            return std::chrono::milliseconds(clock.elapsed());
        }
        if (m_process.state() != QProcess::Running) {
            return std::nullopt;
        }
        QTest::qWait(5);
    }
    return std::nullopt;
}

int QuorZubInstance::startAgain(std::chrono::milliseconds timeout)
{
    QProcess second;
    quorEndWithThisProcess(second);
    second.setProcessEnvironment(environment());
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.start(binaryPath(), {});
    if (!second.waitForStarted(5000)) {
        return -1;
    }
    QElapsedTimer clock;
    clock.start();
    while (second.state() == QProcess::Running && clock.elapsed() < timeout.count()) {
        QTest::qWait(10);
    }
    if (second.state() == QProcess::Running) {
        second.kill();
        second.waitForFinished(2000);
        return -1;
    }
    return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

void QuorZubInstance::stop()
{
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QStringList QuorZubInstance::logMessages(const QString& text) const
{
    QFile file(logPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList found;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QString message = QJsonDocument::fromJson(line).object().value(QStringLiteral("message")).toString();
        if (message.contains(text)) {
            found.append(message);
        }
    }
    return found;
}

QJsonArray QuorZubInstance::history() const
{
    QFile file(historyPath());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QJsonDocument::fromJson(file.readAll()).array();
}

qint64 QuorZubInstance::residentKilobytes() const
{
    QFile status(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

X11Windows::X11Windows() : m_display(XOpenDisplay(nullptr)) {}

X11Windows::~X11Windows()
{
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

namespace {
QList<unsigned long> windowList(Display* display, const char* property)
{
    QList<unsigned long> windows;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, property, False), 0, 4096, False,
                           XA_WINDOW, &type, &format, &count, &after, &data)
            == Success
        && data != nullptr && format == 32) {
        const auto* ids = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) {
            windows.append(ids[i]);
        }
    }
    if (data != nullptr) {
        XFree(data);
    }
    return windows;
}

qint64 windowPid(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    qint64 pid = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &count, &after, &data)
            == Success
        && data != nullptr && count == 1) {
        pid = static_cast<qint64>(*reinterpret_cast<const unsigned long*>(data));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return pid;
}

QString windowTitle(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after, &data)
            == Success
        && data != nullptr) {
        title = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    }
    if (data != nullptr) {
        XFree(data);
    }
    return title;
}
} // namespace

bool startTrayHost(QProcess& tray)
{
    quorEndWithThisProcess(tray);
    tray.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                                          QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
                                          QStringLiteral("--height"), QStringLiteral("24"), QStringLiteral("--SetDockType"),
                                          QStringLiteral("true")});
    return tray.waitForStarted(5000);
}

QList<X11Windows::Client> X11Windows::clients() const
{
    QList<Client> result;
    if (m_display == nullptr) {
        return result;
    }
    XSync(m_display, False);
    for (const unsigned long window : windowList(m_display, "_NET_CLIENT_LIST")) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, window, &attributes) == 0) {
            continue;
        }
        Client client;
        client.window = window;
        client.pid = windowPid(m_display, window);
        client.title = windowTitle(m_display, window);
        client.viewable = attributes.map_state == IsViewable;
        int x = 0;
        int y = 0;
        Window child = 0;
        XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
        client.geometry = QRect(x, y, attributes.width, attributes.height);
        result.append(client);
    }
    return result;
}

std::optional<X11Windows::Client> X11Windows::find(qint64 pid, const QString& title, bool viewableOnly) const
{
    for (const Client& client : clients()) {
        if (client.pid == pid && client.title == title && (client.viewable || !viewableOnly)) {
            return client;
        }
    }
    return std::nullopt;
}

namespace {
QList<Window> childrenOf(Display* display, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    QList<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0 && children != nullptr) {
        for (unsigned int i = 0; i < count; ++i) {
            result.append(children[i]);
        }
        XFree(children);
    }
    return result;
}

QRect rootGeometry(Display* display, Window window, const XWindowAttributes& attributes)
{
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}
} // namespace

std::optional<QRect> X11Windows::embeddedWindow(qint64 pid) const
{
    XSync(m_display, False);
    const Window root = DefaultRootWindow(m_display);
    QList<std::pair<Window, int>> pending;
    for (const Window child : childrenOf(m_display, root)) {
        pending.append({child, 1});
    }
    while (!pending.isEmpty()) {
        const auto [window, depth] = pending.takeFirst();
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, window, &attributes) == 0) {
            continue;
        }
        // Deeper than a window manager's frame: inside another client's window.
        if (depth > 2 && attributes.map_state == IsViewable && windowPid(m_display, window) == pid) {
            return rootGeometry(m_display, window, attributes);
        }
        for (const Window child : childrenOf(m_display, window)) {
            pending.append({child, depth + 1});
        }
    }
    return std::nullopt;
}

std::optional<QRect> X11Windows::popupWindow(qint64 pid) const
{
    const QList<QRect> popups = popupWindows(pid);
    return popups.isEmpty() ? std::nullopt : std::optional<QRect>(popups.first());
}

QList<QRect> X11Windows::popupWindows(qint64 pid) const
{
    XSync(m_display, False);
    QList<QRect> popups;
    for (const Window window : childrenOf(m_display, DefaultRootWindow(m_display))) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(m_display, window, &attributes) != 0 && attributes.override_redirect
            && attributes.map_state == IsViewable && windowPid(m_display, window) == pid) {
            popups.append(rootGeometry(m_display, window, attributes));
        }
    }
    return popups;
}

unsigned long X11Windows::activeWindow() const
{
    if (m_display == nullptr) {
        return 0;
    }
    XSync(m_display, False);
    const QList<unsigned long> active = windowList(m_display, "_NET_ACTIVE_WINDOW");
    return active.isEmpty() ? 0 : active.first();
}

QString X11Windows::describeActiveWindow() const
{
    const unsigned long active = activeWindow();
    for (const Client& client : clients()) {
        if (client.window == active) {
            return QStringLiteral("%1 (pid %2)").arg(client.title).arg(client.pid);
        }
    }
    return QStringLiteral("window 0x%1").arg(active, 0, 16);
}

void X11Windows::requestClose(unsigned long window) const
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_display, window, False, NoEventMask, &event);
    XFlush(m_display);
}
