#include "X11TestDriver.h"

#include "Support/QuorTestProcesses.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include <utility>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

X11TestDriver::X11TestDriver()
    : m_display(XOpenDisplay(nullptr))
{
}

X11TestDriver::~X11TestDriver()
{
    if (m_display != nullptr) {
        XCloseDisplay(m_display);
    }
}

bool X11TestDriver::grabKeyboard()
{
    return XGrabKeyboard(m_display, DefaultRootWindow(m_display), False, GrabModeAsync, GrabModeAsync, CurrentTime)
           == GrabSuccess;
}

void X11TestDriver::ungrabKeyboard()
{
    XUngrabKeyboard(m_display, CurrentTime);
    XSync(m_display, False);
}

bool X11TestDriver::pointerGrabbedElsewhere() const
{
    return quorPointerGrabbedElsewhere(m_display);
}

void X11TestDriver::flush()
{
    XSync(m_display, False);
}

void X11TestDriver::moveTo(QPoint point)
{
    XTestFakeMotionEvent(m_display, -1, point.x(), point.y(), CurrentTime);
    flush();
}

void X11TestDriver::press(int button)
{
    XTestFakeButtonEvent(m_display, static_cast<unsigned>(button), True, CurrentTime);
    flush();
}

void X11TestDriver::release(int button)
{
    XTestFakeButtonEvent(m_display, static_cast<unsigned>(button), False, CurrentTime);
    flush();
}

void X11TestDriver::perform(const PointerGesture& gesture)
{
    quorPerform(m_display, gesture);
}

void X11TestDriver::drag(QPoint from, QPoint to)
{
    perform(PointerGesture().drag(from, to));
}

void X11TestDriver::click(QPoint point)
{
    perform(PointerGesture().click(point));
}

void X11TestDriver::key(const QByteArray& combination)
{
    QList<KeyCode> codes;
    for (const QByteArray& name : combination.split('+')) {
        QByteArray keysym = name;
        if (name == "ctrl") {
            keysym = "Control_L";
        } else if (name == "alt") {
            keysym = "Alt_L";
        } else if (name == "shift") {
            keysym = "Shift_L";
        }
        codes.append(XKeysymToKeycode(m_display, XStringToKeysym(keysym.constData())));
    }
    for (const KeyCode code : codes) {
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    }
    // Held for a moment, timed by the server.
    unsigned long delay = 30;
    for (auto it = codes.crbegin(); it != codes.crend(); ++it) {
        XTestFakeKeyEvent(m_display, *it, False, delay);
        delay = CurrentTime;
    }
    flush();
}

void X11TestDriver::keyDown(const QByteArray& keysym)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XStringToKeysym(keysym.constData())), True, CurrentTime);
    flush();
}

void X11TestDriver::keyUp(const QByteArray& keysym)
{
    XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, XStringToKeysym(keysym.constData())), False, CurrentTime);
    flush();
}

TestEditor::TestEditor(QStringList arguments) : TestEditor(std::move(arguments), QStringLiteral(QUOR_TEST_EDITOR_PATH))
{
}

TestEditor::TestEditor(QStringList arguments, const QString& program)
{
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &TestEditor::readLines);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    quorEndWithThisProcess(m_process);
    m_process.start(program, arguments);
}

TestEditor::~TestEditor()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.write("quit\n");
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
}

void TestEditor::readLines()
{
    m_buffer += m_process.readAllStandardOutput();
    qsizetype newline = 0;
    while ((newline = m_buffer.indexOf('\n')) >= 0) {
        const QJsonDocument document = QJsonDocument::fromJson(m_buffer.left(newline));
        m_buffer.remove(0, newline + 1);
        if (document.isObject()) {
            m_lines.append(document.object());
        }
    }
}

namespace {
template <typename Predicate>
std::optional<QJsonObject> takeFirst(QList<QJsonObject>& lines, Predicate matches, std::chrono::milliseconds timeout)
{
    QElapsedTimer timer;
    timer.start();
    while (true) {
        for (qsizetype index = 0; index < lines.size(); ++index) {
            if (matches(lines.at(index))) {
                return lines.takeAt(index);
            }
        }
        if (timer.elapsed() > timeout.count()) {
            return std::nullopt;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}
} // namespace

bool TestEditor::waitUntilReady(std::chrono::milliseconds timeout)
{
    const auto ready = takeFirst(
        m_lines, [](const QJsonObject& line) { return line.value(QStringLiteral("event")) == QStringLiteral("ready"); },
        timeout);
    if (ready) {
        m_ready = *ready;
    }
    return ready.has_value();
}

QJsonObject TestEditor::command(const QByteArray& line, std::chrono::milliseconds timeout)
{
    m_process.write(line + '\n');
    const QString name = QString::fromLatin1(line.split(' ').value(0));
    const auto reply = takeFirst(
        m_lines, [&name](const QJsonObject& object) { return object.value(QStringLiteral("reply")) == name; }, timeout);
    if (reply && name == QStringLiteral("set-text")) {
        m_ready.insert(QStringLiteral("boundaries"), reply->value(QStringLiteral("boundaries")));
    }
    return reply.value_or(QJsonObject{});
}

std::optional<QJsonObject> TestEditor::waitForEvent(const QString& kind, std::chrono::milliseconds timeout)
{
    return takeFirst(
        m_lines, [&kind](const QJsonObject& line) { return line.value(QStringLiteral("event")) == kind; }, timeout);
}

QPoint TestEditor::boundary(int index) const
{
    const QJsonArray boundaries = m_ready.value(QStringLiteral("boundaries")).toArray();
    return QPoint(boundaries.at(index).toInt(), m_ready.value(QStringLiteral("y")).toInt());
}

QPoint TestEditor::blankArea() const
{
    return QPoint(m_ready.value(QStringLiteral("right")).toInt(), m_ready.value(QStringLiteral("y")).toInt());
}
