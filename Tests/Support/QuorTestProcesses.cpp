#include "Support/QuorTestProcesses.h"

#include <QProcess>

#include <csignal>

#include <sys/prctl.h>

void quorEndWithThisProcess(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}
