#pragma once

#include "QuorKit/Suite/QuorSuiteApp.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// A small generic live card any suite application may publish, one per application, which a reader
// can show without knowing the publisher.
struct QuorLiveActivityTile {
    enum class Tone { neutral, active, success, warning, danger };

    QuorSuiteApp app = QuorSuiteApp::drummet;
    QDateTime timestamp;
    qint32 senderPID = 0;
    QString titleEN;
    QString titleTR;
    QString primaryMetric;
    std::optional<QString> secondaryMetric;
    std::optional<double> progress; // 0...1
    QString symbolName;
    Tone tone = Tone::neutral;
    qint64 priority = 0; // larger first

    QuorLiveActivityTile() = default;
    // The progress, when there is one, within 0...1 (not a number counts as 0); without a symbol
    // (none given, not an empty name) the publishing application's. A decoded tile keeps the values
    // as published.
    QuorLiveActivityTile(QuorSuiteApp app, QDateTime timestamp, qint32 senderPID, QString titleEN, QString titleTR,
                         QString primaryMetric, std::optional<QString> secondaryMetric, std::optional<double> progress,
                         const std::optional<QString>& symbolName, Tone tone, qint64 priority);

    bool operator==(const QuorLiveActivityTile& other) const = default;

    QString id() const { return QuorSuiteApps::rawValue(app); }

    // The tile as the initializer makes it from these values, its symbol name as it stands.
    QuorLiveActivityTile normalized() const;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    static const QList<Tone>& allTones();
    static QString rawValue(Tone tone);
    static std::optional<Tone> toneFromRawValue(const QString& raw);

    QJsonObject toJson() const;
    // Strict; an unknown application or tone fails, values are kept as published.
    static QuorLiveActivityTile fromJson(const QJsonObject& object);
};
