#pragma once

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QImage>

// A PNG of one colour.
inline QByteArray quorPNG(QSize size, const QColor& color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Grabs `widget` once pending layout passes (which climb one level per turn of the event loop) have
// run, writes the picture into the build tree's screenshots folder for a human look, and returns it
// so the test can check what was drawn.
template <typename Widget> // a QWidget: a template, so tests without widgets can include this header
QImage quorSaveScreenshot(Widget* widget, const QString& name)
{
    for (int turn = 0; turn < 8; ++turn) {
        QCoreApplication::processEvents();
    }
    const QString folder = qEnvironmentVariable("QUOR_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    const QImage image = widget->grab().toImage();
    image.save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    return image;
}
