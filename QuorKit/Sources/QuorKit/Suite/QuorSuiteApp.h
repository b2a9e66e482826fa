#pragma once

#include "QuorKit/Localization/QuorLanguage.h"
#include "QuorKit/Suite/QuorSuiteWorkspace.h"

#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

// The sibling applications of the suite that send each other commands and publish live status.
// The running application itself is not a row. Positions are fixed: other processes rely on the
// raw values, and the first rows are the ones the suite views address.
enum class QuorSuiteApp {
    drummet, vaskel, kestrine, quillory, scourwen, wakerill, ardenwick, pellory, voltanne, brimmet,
    tweskel, platterby, ferrowin, seedmoor, haulwick, snarrow, veilmere, siftrel, bulwarne, tunnick,
    lensett, reelby, scrivelle, wavorn, chalkrey, rulmet, tintoral, callowin, sornwell, termund,
    blintar, tolvane, flowick, seekmere, bookelt, postrel, tabrin, hostrow, lockmere, cratholm,
    branchet, cellwyn, hypervale, tethren, phonrick, diskarn, salvetch, folderon, vaultrey,
};

namespace QuorSuiteApps {

inline constexpr int caseCount = 49;

const QList<QuorSuiteApp>& allCases();
// The product name in upper camel case ("Vaskel"); also the application's WM_CLASS and program name.
QString rawValue(QuorSuiteApp app);
QString id(QuorSuiteApp app);
// Exact, case-sensitive match on the raw value.
std::optional<QuorSuiteApp> fromRawValue(const QString& raw);
// "com.tallowmer." + the raw value lower-cased; also the desktop file id.
QString bundleIdentifier(QuorSuiteApp app);
QString symbolName(QuorSuiteApp app);

QJsonValue toJson(QuorSuiteApp app);
// Throws QuorDecodingError for anything but a raw value string.
QuorSuiteApp fromJson(const QJsonValue& value);

// The one folder under which both suite buses keep their files: "Tallowmer/SuiteTelemetry" in the
// user's data folder.
QString suiteDirectory();

// The application's desktop entry, first in the user's applications folder, then the system's.
std::optional<QString> installedURL(QuorSuiteApp app, const QuorSuiteWorkspace& workspace = QuorSuiteWorkspace::current());
bool isInstalled(QuorSuiteApp app, const QuorSuiteWorkspace& workspace = QuorSuiteWorkspace::current());
// A window announces the application (desktop file id or WM_CLASS, ignoring case), or a process of
// this user runs a program named like it.
bool isRunning(QuorSuiteApp app, const QuorSuiteWorkspace& workspace = QuorSuiteWorkspace::current());
// Brings a running application's window forward, else starts the installed one. True when its
// window came forward (or it runs without one) or it was started; false when the window could not
// be brought forward, or it is neither running nor installed.
bool launch(QuorSuiteApp app, const QuorSuiteWorkspace& workspace = QuorSuiteWorkspace::current());
// "Vaskel is not installed" / "Vaskel kurulu değil": what a view says when a command found the
// application neither running nor installed.
QString notInstalledText(QuorSuiteApp app, QuorLanguage language);

// Starts the installed application from its desktop entry's Exec line, detached and without a
// shell; false when there is no entry or its program could not be started.
bool open(QuorSuiteApp app, const QuorSuiteWorkspace& workspace = QuorSuiteWorkspace::current());

} // namespace QuorSuiteApps
