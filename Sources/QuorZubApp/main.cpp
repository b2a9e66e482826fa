#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorKit/System/QuorBundle.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tallowmer"));
    QApplication::setApplicationName(QStringLiteral("QuorZub"));
    QApplication::setDesktopFileName(QuorBundle::main().bundleIdentifier());

    QWidget window;
    window.setWindowTitle(QStringLiteral("QuorZub"));
    auto* layout = new QVBoxLayout(&window);
    auto* label = new QLabel(quorText(QStringLiteral("QuorZub is running."), QStringLiteral("QuorZub çalışıyor.")), &window);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    window.resize(480, 200);
    window.show();
    return QApplication::exec();
}
