#pragma once

#include "Support/QuorTestWaiting.h"
#include "Support/QuorX11Input.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QProcess>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

struct _XDisplay;

// Real input for the end-to-end tests: XTest pointer and key events on a connection of the
// test's own, as a user's hands would make them.
class X11TestDriver {
public:
    X11TestDriver();
    ~X11TestDriver();
    bool isReady() const { return m_display != nullptr; }

    void moveTo(QPoint point);
    void press(int button = 1);
    void release(int button = 1);
    // Plays the gesture; returns once the server has played its last step.
    void perform(const PointerGesture& gesture);
    // Press at `from`, move there in steps, release at `to`; returns after the release was played.
    void drag(QPoint from, QPoint to);
    void click(QPoint point);
    // "ctrl+alt+a": keysym names joined by '+'.
    void key(const QByteArray& combination);
    // One key down or up, by keysym name ("Alt_L").
    void keyDown(const QByteArray& keysym);
    void keyUp(const QByteArray& keysym);
    // Takes the whole keyboard for this connection, as a password prompt does; false when refused.
    bool grabKeyboard();
    void ungrabKeyboard();
    // Whether another client holds the pointer (a region picker while it waits for a drag).
    bool pointerGrabbedElsewhere() const;
    void flush();

private:
    _XDisplay* m_display = nullptr;
};

// The helper editor process (quor_test_editor) with its JSON-lines protocol.
class TestEditor : public QObject {
    Q_OBJECT
public:
    explicit TestEditor(QStringList arguments);
    // The editor as another program (`program`, built from the same source).
    TestEditor(QStringList arguments, const QString& program);
    ~TestEditor() override;

    // Waits for the window to be mapped and focused.
    bool waitUntilReady(std::chrono::milliseconds timeout = quorPatience);
    // Sends a command and waits for its reply.
    QJsonObject command(const QByteArray& line, std::chrono::milliseconds timeout = quorPatience);
    // The next event line of that kind ("pasted"), if one arrives in time.
    std::optional<QJsonObject> waitForEvent(const QString& kind, std::chrono::milliseconds timeout);

    // Global point of character boundary `index` on the text's middle line.
    QPoint boundary(int index) const;
    QPoint blankArea() const;
    qint64 pid() const { return m_ready.value(QStringLiteral("pid")).toInteger(); }
    unsigned long window() const { return static_cast<unsigned long>(m_ready.value(QStringLiteral("window")).toInteger()); }

private:
    void readLines();

    QProcess m_process;
    QByteArray m_buffer;
    QList<QJsonObject> m_lines;
    QJsonObject m_ready;
};
