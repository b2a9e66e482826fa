#include "QuorKit/Design/QuorTextFit.h"

#include <QPainter>
#include <QVariant>
#include <QWidget>

namespace {
constexpr char kShortened[] = "quorShortenedTexts";
constexpr char kByDesign[] = "quorShortensByDesign";
} // namespace

namespace QuorTextFit {

QString elided(QWidget* owner, const QFontMetricsF& metrics, const QString& text, Qt::TextElideMode mode, double width)
{
    const QString shown = metrics.elidedText(text, mode, width);
    if (owner != nullptr) {
        QStringList noted = owner->property(kShortened).toStringList();
        const bool wasNoted = noted.contains(text);
        const bool shortened = shown != text;
        if (wasNoted != shortened) {
            if (shortened) {
                noted.append(text);
            } else {
                noted.removeAll(text);
            }
            owner->setProperty(kShortened, noted);
        }
    }
    return shown;
}

QString elided(QPainter& painter, const QFontMetricsF& metrics, const QString& text, Qt::TextElideMode mode, double width)
{
    return elided(dynamic_cast<QWidget*>(painter.device()), metrics, text, mode, width);
}

QStringList shortenedTexts(const QWidget* widget)
{
    return widget->property(kShortened).toStringList();
}

void markShortensByDesign(QWidget* widget)
{
    widget->setProperty(kByDesign, true);
}

bool shortensByDesign(const QWidget* widget)
{
    return widget->property(kByDesign).toBool();
}

} // namespace QuorTextFit
