#pragma once

#include "QuorZubCore/Models/ZubExecutionResult.h"
#include "QuorZubCore/Models/ZubHistoryRecord.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace studio_fixtures {

inline ZubHistoryRecord historyRecord(ZubActionKind kind, const QString& title, const QString& input, const QString& output,
                                      bool pinned = false, qint64 durationMs = 120,
                                      const QDateTime& createdAt = QDateTime::currentDateTimeUtc())
{
    ZubHistoryRecord r;
    r.id = QUuid::createUuid();
    r.actionKind = kind;
    r.actionTitle = title;
    r.inputText = input;
    r.outputText = output;
    r.isPinned = pinned;
    r.durationMs = durationMs;
    r.createdAt = createdAt;
    return r;
}

inline ZubExecutionResult translation()
{
    ZubExecutionResult r;
    r.id = QUuid::createUuid();
    r.actionKind = ZubActionKind::translate;
    r.actionTitle = QStringLiteral("Translate");
    r.inputText = QStringLiteral("Bugün hava çok güzel.");
    r.outputText = QStringLiteral("The weather is very nice today.");
    r.detectedLanguageCode = QStringLiteral("tr");
    r.targetLanguageCode = QStringLiteral("en");
    r.durationMs = 842;
    return r;
}

inline QByteArray qrPNG()
{
    QImage image(25, 25, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 25; ++x) {
            if ((x * 7 + y * 3) % 5 < 2 || (x < 7 && y < 7)) {
                painter.fillRect(x, y, 1, 1, Qt::black);
            }
        }
    }
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline ZubExecutionResult qrResult()
{
    ZubExecutionResult r = translation();
    r.actionKind = ZubActionKind::qrCode;
    r.actionTitle = QStringLiteral("QR Code");
    r.inputText = QStringLiteral("https://tallowmer.com/quorzub");
    r.outputText = QStringLiteral("QR code (29 characters)");
    r.detectedLanguageCode.reset();
    r.targetLanguageCode.reset();
    r.qrPNGData = qrPNG();
    return r;
}

// Writes a grab of `widget` into the build tree for a human look, once pending layout passes (which
// climb one level per turn of the event loop) have run.
inline void saveScreenshot(QWidget* widget, const QString& name)
{
    for (int turn = 0; turn < 8; ++turn) {
        QCoreApplication::processEvents();
    }
    const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace studio_fixtures
