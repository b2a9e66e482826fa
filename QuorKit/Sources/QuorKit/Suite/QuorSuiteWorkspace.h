#pragma once

#include "QuorPlatform/Processes/QuorProcessTable.h"
#include "QuorPlatform/Workspace/QuorX11Workspace.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <optional>

// How the suite table sees this computer: where installed applications keep their desktop entries,
// which windows and processes run, and how an application is brought forward or started. Tests
// put in their own folders and lists.
struct QuorSuiteWorkspace {
    QStringList applicationFolders;
    std::function<QList<quor::platform::WindowApplication>()> windows;
    std::function<QList<quor::platform::RunningProcess>()> processes;
    std::function<bool(const quor::platform::WindowApplication&)> activate;
    // Starts a program detached, without a shell; false when it could not be started.
    std::function<bool(const QString& program, const QStringList& arguments)> start;

    // This computer, with the XDG folders read now: X11 windows, /proc and detached processes.
    static QuorSuiteWorkspace system();
    // The override a test installed, else system().
    static QuorSuiteWorkspace current();
    static void setOverride(std::optional<QuorSuiteWorkspace> workspace);
};
