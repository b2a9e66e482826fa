#pragma once

#include "QuorKit/UI/AI/QuorAIModelCatalogPresentation.h"

#include <QAbstractButton>
#include <QRectF>
#include <QStringList>

class QPainter;

// One model of the AI card's catalog list: name, badges, vendor and check mark on the first line,
// up to two lines of summary, then the detail chips wrapping as the width needs. The whole rounded
// plate is the hit area. Its height follows its width.
class QuorAIModelRowButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit QuorAIModelRowButton(QWidget* parent = nullptr);

    void setRow(const QuorAIModelCatalogPresentation::Row& row);
    const QuorAIModelCatalogPresentation::Row& row() const { return m_row; }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The capsule a chip needs for its text, and the chip drawn in it.
    static QSizeF chipSize(const QString& text);
    static void paintChip(QPainter& painter, const QRectF& rect, const QuorAIModelCatalogPresentation::Chip& chip);
    // The summary broken into at most two lines of `width`; the second ends in an ellipsis when
    // text is left over.
    static QStringList summaryLines(const QString& text, double width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Geometry {
        QRectF title;
        QString titleText;
        QList<QRectF> badges; // recommended, then installed, for those present
        QRectF vendor;
        QRectF check;
        QStringList summary;
        QRectF summaryRect;
        QList<QRectF> details;
        double height = 0;
    };
    Geometry measure(double width) const;
    QList<QuorAIModelCatalogPresentation::Chip> badges() const;

    QuorAIModelCatalogPresentation::Row m_row;
};
