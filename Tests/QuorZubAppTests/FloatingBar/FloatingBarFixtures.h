#pragma once

#include "QuorZubCore/Models/ZubActionDefinition.h"
#include "QuorZubCore/Models/ZubExecutionResult.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

namespace fixtures {

inline ZubExecutionResult result(ZubActionKind kind, const QString& output, bool isError = false)
{
    ZubExecutionResult r;
    r.id = QUuid::createUuid();
    r.actionKind = kind;
    r.actionTitle = ZubActionKinds::defaultTitleEN(kind);
    r.inputText = QStringLiteral("The quick brown fox jumps over the lazy dog.");
    r.outputText = output;
    r.isError = isError;
    r.durationMs = 842;
    r.createdAt = QDateTime::currentDateTimeUtc();
    return r;
}

inline ZubExecutionResult translation()
{
    ZubExecutionResult r = result(ZubActionKind::translate, QStringLiteral("Hızlı kahverengi tilki tembel köpeğin üzerinden atlar."));
    r.detectedLanguageCode = QStringLiteral("en");
    r.targetLanguageCode = QStringLiteral("tr");
    return r;
}

// A small checkerboard standing in for a QR code.
inline QByteArray qrPNG()
{
    QImage image(25, 25, QImage::Format_RGB32);
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 25; ++x) {
            image.setPixel(x, y, ((x / 3 + y / 3) % 2 == 0 || (x < 7 && y < 7)) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline ZubExecutionResult qrResult(const QByteArray& png = qrPNG())
{
    ZubExecutionResult r = result(ZubActionKind::qrCode, QStringLiteral("QR code (44 characters)"));
    r.qrPNGData = png;
    return r;
}

inline QList<ZubActionDefinition> actions(int count)
{
    return ZubActionDefinition::defaultActions().mid(0, count);
}

// Writes `widget` over a light, document-like ground into the build tree for a human look, and
// returns the widget's own picture.
inline QImage saveScreenshot(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    const QPixmap bar = widget->grab();
    QImage canvas(bar.size() / bar.devicePixelRatio() + QSize(48, 48), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(QColor(236, 238, 242));
    QPainter painter(&canvas);
    painter.setPen(QColor(200, 204, 212));
    for (int y = 12; y < canvas.height(); y += 18) {
        painter.drawLine(12, y, canvas.width() - 12, y);
    }
    painter.drawPixmap(24, 24, bar);
    painter.end();
    canvas.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    return bar.toImage();
}

} // namespace fixtures
