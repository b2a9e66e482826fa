#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM (logout, shutdown, `kill`), SIGINT and SIGHUP end the application the way its Quit
// command does: the event loop returns and everything is torn down in order, so the history is
// saved and a clipboard this application owns is handed to the clipboard manager. The handler
// only writes to a pipe that the event loop reads. A second signal ends the process at once, should
// the orderly way out hang. One instance per process, for as long as the event loop runs.
class ZubTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit ZubTerminationSignals(QObject* parent = nullptr);
    ~ZubTerminationSignals() override;

    // False when the pipe could not be made: the signals then keep their default effect.
    bool isInstalled() const { return m_notifier != nullptr; }

private:
    QSocketNotifier* m_notifier = nullptr;
};
