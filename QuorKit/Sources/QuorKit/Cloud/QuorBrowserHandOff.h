#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QString>
#include <QUrl>

#include <chrono>

#include <functional>
#include <optional>

class QObject;

// Hands web pages to the user's browser. Opening can fail (no browser, no desktop handler for
// https): then the log says so ("browser") and the caller tells the user and offers the address
// to copy, so the page can still be reached.
namespace QuorBrowserHandOff {

// Opens a URL in the browser; false when nothing could open it.
using Opener = std::function<bool(const QUrl&)>;
// Told once whether the page opened.
using Outcome = std::function<void(bool opened)>;

// How long the desktop's launcher may run before the page counts as opened: a launcher that starts
// the browser itself stays until the browser quits.
inline constexpr std::chrono::milliseconds launcherPatience{4000};

// Whether `url` is an http or https address with a host: the only kind handed to the browser.
bool isWebAddress(const QUrl& url);

// Opens a web address with `opener`, or the default one when it is empty. False, with a log line
// naming the address without its query, when the address is not a web address or did not open.
bool open(const QUrl& url, const Opener& opener = {});

// Opens a web address and tells `outcome`, on the calling (GUI) thread and only while `context`
// lives, whether it opened. Without an `opener` or a default one set, the desktop's launcher
// (xdg-open) opens it and its exit status decides: a launcher that ends in an error did not open
// the page, although it started. A failure is logged as open() logs it.
void openThen(const QUrl& url, QObject* context, Outcome outcome, const Opener& opener = {});

// What the user reads when the browser could not be opened; the address is shown beside it.
QString failureMessage(std::optional<QuorLanguage> language = std::nullopt);

// Replaces the desktop's browser for every hand-off that brings no opener of its own (tests play
// the browser with it); an empty opener restores the desktop's.
void setDefaultOpener(Opener opener);

} // namespace QuorBrowserHandOff
