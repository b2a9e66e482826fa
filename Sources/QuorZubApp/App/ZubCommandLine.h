#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of a start, decided before anything needs a display: --help and
// --version print and end the process, an unknown option or argument ends it with an error, and
// everything else runs the application. The X11 options Qt itself reads (-display, -platform, ...)
// are accepted and left to it.
struct ZubCommandLine {
    enum class Action {
        run,
        printAndExit,
        failAndExit,
    };

    Action action = Action::run;
    // For printAndExit: what goes to standard output; for failAndExit: to standard error.
    QString text;

    static ZubCommandLine parse(const QStringList& arguments);
    // The exit status of an action that ends the process.
    int exitCode() const { return action == Action::failAndExit ? 2 : 0; }
};
