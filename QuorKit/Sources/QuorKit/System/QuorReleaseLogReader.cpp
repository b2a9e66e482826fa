#include "QuorKit/System/QuorReleaseLogReader.h"

#include "QuorKit/Utilities/QuorBundle.h"
#include "QuorKit/Utilities/QuorJson.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace QuorReleaseLogReader {

QList<QuorReleaseLogRecord> load(const QString& path, const std::optional<QString>& app)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.isEmpty()) {
        return {};
    }
    const std::optional<QString> wanted = app ? std::optional(app->toLower()) : std::nullopt;

    QList<QuorReleaseLogRecord> records;
    // Lines end at LF; a CR before it (a file saved with CRLF line ends) belongs to no record.
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        if (line.isEmpty()) {
            continue;
        }
        try {
            QuorReleaseLogRecord record = QuorReleaseLogRecord::fromJson(QuorJson::parseObject(line.toUtf8()));
            if (!wanted || record.app.toLower() == *wanted) {
                records.append(std::move(record));
            }
        } catch (const QuorError&) {
            // One bad line never hides the others.
        }
    }
    std::reverse(records.begin(), records.end());
    return records;
}

QList<QuorReleaseLogRecord> loadBundled(const std::optional<QString>& app, const QuorBundle& bundle)
{
    const auto path = bundle.pathForResource(QStringLiteral("release-log"), QStringLiteral("jsonl"));
    if (!path) {
        return {};
    }
    return load(*path, app);
}

} // namespace QuorReleaseLogReader
