#include "QuorKit/Design/QuorToolTips.h"

#include <QTextDocument>

namespace QuorToolTips {

QString plain(const QString& text)
{
    // The tooltip label decides with the same test whether to read its text as HTML.
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

} // namespace QuorToolTips
