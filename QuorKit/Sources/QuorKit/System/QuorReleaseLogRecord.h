#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

// One line of an application's release history: one version bump with short texts in several
// languages. Every key is optional when decoding; a key of the wrong type fails the whole line.
struct QuorReleaseLogRecord {
    QString timestamp;
    QString app;
    QString fromVersion = QStringLiteral("0.0.0");
    QString toVersion = QStringLiteral("1.0.0");
    qint64 fromBuild = 0;
    qint64 toBuild = 100;
    QString bumpKind = QStringLiteral("patch");
    QString section = QStringLiteral("Changed");
    QString summary;
    QStringList details;
    QMap<QString, QString> summaryI18n;     // "summary_i18n": language code -> text
    QMap<QString, QStringList> detailsI18n; // "details_i18n": language code -> lines
    QString gitCommit;

    // timestamp + "-" + app + "-" + toVersion + "-" + toBuild
    QString id() const;
    // The date part: the first 10 characters of the timestamp.
    QString shortDate() const;

    // The entry for the language, then pt-BR for pt-PT and zh-Hans for zh-Hant, then English,
    // then the plain summary (or details), skipping empty entries.
    QString localizedSummary(QuorLanguage language) const;
    QStringList localizedDetails(QuorLanguage language) const;

    // Throws QuorDecodingError.
    static QuorReleaseLogRecord fromJson(const QJsonObject& object);
    // All thirteen keys.
    QJsonObject toJson() const;

    bool operator==(const QuorReleaseLogRecord& other) const = default;
};
