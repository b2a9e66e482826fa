#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

// Grabs `widget` once pending layout passes (which climb one level per turn of the event loop) have
// run, writes the picture into the build tree's screenshots folder for a human look, and returns it
// so the test can check what was drawn.
inline QImage quorSaveScreenshot(QWidget* widget, const QString& name)
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
