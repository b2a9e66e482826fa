#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Keeps one running instance per user session. The first instance listens on a local socket in
// the user's runtime folder; a later start connects to it, asks it to reopen and exits, which is
// how the user "reopens" a running tray application. GUI thread only.
class ZubSingleInstanceGuard : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        // This process is the running instance and now listens for reopen requests.
        primary,
        // Another instance runs and was asked to reopen: this process should exit.
        handedOver,
        // The socket could not be set up; this process runs without the guard.
        unguarded,
    };

    // Without a path: $XDG_RUNTIME_DIR/com.tallowmer.quorzub.instance.
    explicit ZubSingleInstanceGuard(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~ZubSingleInstanceGuard() override;

    static QString defaultSocketPath();
    QString socketPath() const { return m_socketPath; }

    // Blocks for at most about a second while it talks to a running instance.
    Outcome claim();

signals:
    // A later start asked this instance to reopen.
    void reopenRequested();

private:
    bool handOver() const;
    bool listen();
    void acceptConnections();

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
};
