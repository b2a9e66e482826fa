#include "QuorKit/Design/QuorGlassScrollArea.h"

#include <QScrollArea>
#include <QScrollBar>

QScrollArea* quorGlassScrollArea(QWidget* content, Qt::Orientation orientation, bool showsIndicators, QWidget* parent)
{
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    // No Tab stop of its own (a screen reader would meet a nameless pane there): the controls
    // inside are scrolled into view as the keyboard reaches them, and Page Up and Page Down
    // scroll it from any of them.
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    area->viewport()->setAutoFillBackground(false);
    area->setWidget(content);
    // setWidget() turns the content's background filling on; the ground must show through.
    content->setAutoFillBackground(false);
    const Qt::ScrollBarPolicy shown = showsIndicators ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    if (orientation == Qt::Vertical) {
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(shown);
    } else {
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setHorizontalScrollBarPolicy(shown);
        area->setWidgetResizable(false);
    }
    // Styled bar by bar: a style sheet on the area would cascade into every content widget.
    const QString barStyle = QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 8px; margin: 2px; }"
        "QScrollBar:horizontal { background: transparent; height: 8px; margin: 2px; }"
        "QScrollBar::handle { background: rgba(255, 255, 255, 0.22); border-radius: 2px; min-height: 24px; "
        "min-width: 24px; }"
        "QScrollBar::handle:hover { background: rgba(255, 255, 255, 0.36); }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }");
    area->verticalScrollBar()->setStyleSheet(barStyle);
    area->horizontalScrollBar()->setStyleSheet(barStyle);
    return area;
}
