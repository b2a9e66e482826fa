#pragma once

#include "QuorKit/System/QuorReleaseLogRecord.h"

#include <QList>
#include <QString>

#include <optional>

class QuorBundle;

// Reads an application's release history: one JSON object per line, oldest first in the file.
// Never fails: an unreadable file gives an empty list and a bad line is skipped alone.
namespace QuorReleaseLogReader {

// The records of the file, newest (last line) first; with an application name only those whose
// "app" matches it ignoring case.
QList<QuorReleaseLogRecord> load(const QString& path, const std::optional<QString>& app = std::nullopt);

// load() of the bundle's resource "release-log.jsonl"; empty when the bundle has none.
QList<QuorReleaseLogRecord> loadBundled(const std::optional<QString>& app, const QuorBundle& bundle);

} // namespace QuorReleaseLogReader
