// The kit's feedback sheet in a window of its own, as the suite's other applications show it (this
// one does not), for the screen-reader walk: it runs until its close button or Escape.

#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorProductPalette.h"
#include "QuorKit/UI/Feedback/QuorFeedbackSheet.h"
#include "QuorKit/Utilities/QuorAppVersion.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QuorKeyboardAccess::install();
    QuorFeedbackSheet sheet(QStringLiteral("QuorZub"), QuorAppVersion{QStringLiteral("1.4.2"), QStringLiteral("57")},
                            QuorProductPalette::deepCoral, QuorLanguage::en, QStringLiteral("http://127.0.0.1:9"),
                            [&app] { app.quit(); });
    sheet.setWindowTitle(QStringLiteral("Feedback"));
    sheet.resize(620, 760);
    sheet.show();
    return QApplication::exec();
}
