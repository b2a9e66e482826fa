#include "QuorZubApp/App/ZubAppIcon.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

// Build step: writes the application icon into an icon theme folder, one bitmap per size under
// <folder>/<n>x<n>/apps and the scalable drawing under <folder>/scalable/apps.
int main(int argc, char** argv)
{
    // A build machine has no display to offer.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: quorzub-write-icons <hicolor folder>\n", stderr);
        return 2;
    }
    const QString theme = arguments.at(1);
    const QString name = QStringLiteral("com.tallowmer.quorzub");
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            std::fprintf(stderr, "quorzub-write-icons: cannot write %s\n", qPrintable(path));
            return false;
        }
        return true;
    };
    for (const int size : ZubAppIcon::themeSizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        ZubAppIcon::image(size).save(&buffer, "PNG");
        if (!write(QStringLiteral("%1/%2x%2/apps/%3.png").arg(theme).arg(size).arg(name), png)) {
            return 1;
        }
    }
    return write(QStringLiteral("%1/scalable/apps/%2.svg").arg(theme, name), ZubAppIcon::svg()) ? 0 : 1;
}
