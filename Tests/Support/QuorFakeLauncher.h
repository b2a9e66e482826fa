#pragma once

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

// Plays the desktop's launcher for this process while it lives: an "xdg-open" found first on PATH
// that notes every address it is given and exits with `exitCode` (not 0: it could not open it).
class QuorFakeLauncher {
public:
    explicit QuorFakeLauncher(int exitCode);
    ~QuorFakeLauncher();
    QuorFakeLauncher(const QuorFakeLauncher&) = delete;
    QuorFakeLauncher& operator=(const QuorFakeLauncher&) = delete;

    bool isReady() const { return m_ready; }
    // The addresses it was given, oldest first.
    QStringList addresses() const;

private:
    QTemporaryDir m_folder;
    QByteArray m_path;
    bool m_ready = false;
};
