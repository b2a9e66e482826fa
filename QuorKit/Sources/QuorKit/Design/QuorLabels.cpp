#include "QuorKit/Design/QuorLabels.h"

#include "QuorKit/Design/QuorSymbols.h"

#include <QFontInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {
class ElidedLabel : public QLabel {
public:
    ElidedLabel(Qt::TextElideMode mode, QWidget* parent) : QLabel(parent), m_mode(mode) {}
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QString shown() const { return fontMetrics().elidedText(text(), m_mode, contentsRect().width()); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setFont(font());
        painter.drawText(QRectF(contentsRect()), Qt::AlignLeft | Qt::AlignVCenter, shown());
    }

private:
    Qt::TextElideMode m_mode;
};
} // namespace

namespace QuorLabels {

QLabel* makeElided(const QString& text, const QFont& font, const QColor& color, QWidget* parent, Qt::TextElideMode mode)
{
    auto* label = new ElidedLabel(mode, parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setColor(label, color);
    return label;
}

QString shownText(const QLabel& label)
{
    const auto* elided = dynamic_cast<const ElidedLabel*>(&label);
    return elided != nullptr ? elided->shown() : label.text();
}

QLabel* make(const QString& text, const QFont& font, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setAttribute(Qt::WA_TranslucentBackground);
    setColor(label, color);
    return label;
}

void setColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    // A label inside a button draws in the button's text role.
    palette.setColor(QPalette::ButtonText, color);
    label->setPalette(palette);
}

void setSymbol(QWidget* labelWithSymbol, const QString& symbolName, double size, const QColor& color)
{
    if (auto* symbol = labelWithSymbol->findChild<QLabel*>(QStringLiteral("symbol"))) {
        const QPixmap pixmap = QuorSymbols::pixmap(symbolName, size, color, symbol->devicePixelRatioF() * 2);
        symbol->setPixmap(pixmap);
        symbol->setProperty("symbolName", symbolName);
    }
}

QWidget* withSymbol(const QString& symbolName, const QString& text, const QFont& font, const QColor& symbolColor,
                    const QColor& textColor, QWidget* parent)
{
    auto* box = new QWidget(parent);
    box->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* symbol = new QLabel(box);
    symbol->setObjectName(QStringLiteral("symbol"));
    symbol->setAttribute(Qt::WA_TranslucentBackground);
    layout->addWidget(symbol);
    setSymbol(box, symbolName, QFontInfo(font).pixelSize(), symbolColor);
    QLabel* label = make(text, font, textColor, box);
    label->setObjectName(QStringLiteral("text"));
    layout->addWidget(label, 1);
    return box;
}

} // namespace QuorLabels
