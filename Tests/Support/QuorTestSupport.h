#pragma once

#include <QString>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include "Support/QuorTestWaiting.h"

#include <chrono>

// Gives this test process its own HOME and XDG folders, so tests running side by side never share
// settings, logs or data files. Called by QUOR_TEST_MAIN before the application object exists.
void quorIsolateTestEnvironment();

// The folder quorIsolateTestEnvironment() made (empty before it ran).
QString quorTestSandboxPath();

// ../shared/testdata from the project root (QUOR_TESTDATA_DIR in ctest's environment).
QString quorTestDataPath(const QString& relative = {});

// Runs the event loop until `task` finishes and returns its value; fails the test (throws) on timeout.
template <typename T>
T quorAwait(QCoro::Task<T>&& task, std::chrono::milliseconds timeout = std::chrono::seconds(20));
void quorAwait(QCoro::Task<>&& task, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// Spins the event loop for `duration` (for "nothing happens" checks only; wait for what happens
// with QUOR_TRY_VERIFY or quorWaitFor instead).
void quorSpin(std::chrono::milliseconds duration);

// Whether a file whose path contains `pathPart` (a library, a plugin) is mapped into this process.
bool quorIsMapped(const QByteArray& pathPart);

#define QUOR_TEST_MAIN(TestObject)                                                                           \
    int main(int argc, char** argv)                                                                           \
    {                                                                                                         \
        quorIsolateTestEnvironment();                                                                         \
        QApplication app(argc, argv);                                                                         \
        TestObject test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                            \
        return QTest::qExec(&test, argc, argv);                                                               \
    }

#define QUOR_TEST_GUILESS_MAIN(TestObject)                                                                   \
    int main(int argc, char** argv)                                                                           \
    {                                                                                                         \
        quorIsolateTestEnvironment();                                                                         \
        QCoreApplication app(argc, argv);                                                                     \
        TestObject test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                            \
        return QTest::qExec(&test, argc, argv);                                                               \
    }

#define QUOR_TEST_GUI_MAIN(TestObject)                                                                       \
    int main(int argc, char** argv)                                                                           \
    {                                                                                                         \
        quorIsolateTestEnvironment();                                                                         \
        QGuiApplication app(argc, argv);                                                                      \
        TestObject test;                                                                                      \
        QTEST_SET_MAIN_SOURCE_PATH                                                                            \
        return QTest::qExec(&test, argc, argv);                                                               \
    }

#include "Support/QuorTestSupport.inl"
