#include "QuorKit/Windowing/QuorFirstClickHostingView.h"

#include <QMouseEvent>
#include <QVBoxLayout>

QuorFirstClickHostingView::QuorFirstClickHostingView(QWidget* content, QWidget* parent)
    : QWidget(parent), m_content(content)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

void QuorFirstClickHostingView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
}
