#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <optional>

struct _XDisplay;

// One run of the real quorzub binary in folders of its own (home, XDG data, config and runtime),
// started with a configuration the test writes first.
class QuorZubInstance {
public:
    QuorZubInstance();
    ~QuorZubInstance();

    QString dataFolder() const;
    QString configPath() const;
    QString historyPath() const;
    QString logPath() const;
    // The program as the test build made it: ${QUOR_BINARY_DIR}/bin/quorzub.
    static QString binaryPath();

    void writeConfig(const QByteArray& json);
    // An environment variable for the program's next start (after the folders above are set).
    void setEnvironmentVariable(const QString& name, const QString& value);
    // Starts the program; returns how long it took until its launch line was in the log, or nothing.
    std::optional<std::chrono::milliseconds> start(std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Runs a second start with the same folders and returns its exit code (-1 when it hung).
    int startAgain(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    void stop();
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // Ended by returning from main (not killed by a signal).
    bool exitedNormally() const
    {
        return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit;
    }
    QByteArray output() { return m_output += m_process.readAll(); }

    // Log lines whose message contains `text`.
    QStringList logMessages(const QString& text) const;
    QJsonArray history() const;
    // Resident memory of the running program, in kB.
    qint64 residentKilobytes() const;

private:
    QProcessEnvironment environment() const;

    QTemporaryDir m_root;
    QProcessEnvironment m_extraEnvironment;
    QProcess m_process;
    QByteArray m_output;
};

// Starts an XEmbed tray at the top right of the screen (trayer), as a desktop panel has one.
bool startTrayHost(QProcess& tray);

// Top-level windows as the window manager lists them, and what the tests need of them.
class X11Windows {
public:
    X11Windows();
    ~X11Windows();

    struct Client {
        unsigned long window = 0;
        qint64 pid = 0;
        QString title;
        bool viewable = false;
        // Inside the frame, in root coordinates.
        QRect geometry;
    };

    QList<Client> clients() const;
    std::optional<Client> find(qint64 pid, const QString& title, bool viewableOnly = true) const;
    unsigned long activeWindow() const;
    // "title (pid N)" of the active window, for failure messages.
    QString describeActiveWindow() const;
    // A window of the process that another client embedded (a tray icon), in root coordinates.
    std::optional<QRect> embeddedWindow(qint64 pid) const;
    // A mapped override-redirect window of the process (a popup), in root coordinates.
    std::optional<QRect> popupWindow(qint64 pid) const;
    // All of them (a popup and a tooltip may be up at once).
    QList<QRect> popupWindows(qint64 pid) const;
    // Asks the window's client to close it, as the title bar's close button does.
    void requestClose(unsigned long window) const;

private:
    _XDisplay* m_display = nullptr;
};
