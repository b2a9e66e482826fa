#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Hands web pages to the user's browser. Opening can fail (no browser, no desktop handler for
// https): then the log says so ("browser") and the caller tells the user and offers the address
// to copy, so the page can still be reached.
namespace QuorBrowserHandOff {

// Opens a URL in the browser; false when nothing could open it.
using Opener = std::function<bool(const QUrl&)>;

// Whether `url` is an http or https address with a host: the only kind handed to the browser.
bool isWebAddress(const QUrl& url);

// Opens a web address with `opener`, or the default one when it is empty. False, with a log line
// naming the address without its query, when the address is not a web address or did not open.
bool open(const QUrl& url, const Opener& opener = {});

// What the user reads when the browser could not be opened; the address is shown beside it.
QString failureMessage(std::optional<QuorLanguage> language = std::nullopt);

// Replaces the desktop's browser for every hand-off that brings no opener of its own (tests play
// the browser with it); an empty opener restores the desktop's.
void setDefaultOpener(Opener opener);

} // namespace QuorBrowserHandOff
