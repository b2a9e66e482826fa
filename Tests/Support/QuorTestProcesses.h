#pragma once

class QProcess;

// Makes `process` end with this test process, however this one ends (a crash, a timeout): a
// program or helper left running would keep its windows, grabs, hot keys and clipboard on the
// shared test display and disturb the tests that follow. Call before starting it.
void quorEndWithThisProcess(QProcess& process);
