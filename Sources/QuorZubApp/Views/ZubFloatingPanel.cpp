#include "QuorZubApp/Views/ZubFloatingPanel.h"

#include "QuorZubApp/Views/ZubFloatingBarContentView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QRegion>
#include <QVBoxLayout>
#include <QWindow>

// Xlib last: its macros (None, Bool, Status ...) clash with Qt's names.
#include <X11/Xlib.h>

ZubFloatingPanel::ZubFloatingPanel()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("QuorZub"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The controller's frame is authoritative; the content never forces a minimum size on it.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    resize(460, 50);
}

ZubFloatingPanel::~ZubFloatingPanel()
{
    // The content outlives this part of the panel while the base class tears the children down.
    if (m_content != nullptr) {
        disconnect(m_content, nullptr, this, nullptr);
    }
}

void ZubFloatingPanel::setContent(ZubFloatingBarContentView* content)
{
    m_content = content;
    layout()->addWidget(content);
    connect(content, &ZubFloatingBarContentView::surfaceShapeChanged, this, [this] { applyShape(); });
}

bool ZubFloatingPanel::isCompositingManagerRunning()
{
    const auto* x11 = qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 == nullptr ? nullptr : x11->display();
    if (display == nullptr) {
        return true;
    }
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom atom = XInternAtom(display, selection.constData(), False);
    return XGetSelectionOwner(display, atom) != 0;
}

void ZubFloatingPanel::refreshShape()
{
    m_usesShapeMask = !isCompositingManagerRunning();
    applyShape();
}

void ZubFloatingPanel::applyShape()
{
    if (!m_usesShapeMask || m_content == nullptr) {
        clearMask();
        return;
    }
    QRegion region;
    for (const QPolygonF& polygon : m_content->surfaceShape().toFillPolygons()) {
        region += QRegion(polygon.toPolygon(), Qt::WindingFill);
    }
    setMask(region);
}

void ZubFloatingPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (onEscapePressed) {
            onEscapePressed();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

void ZubFloatingPanel::mousePressEvent(QMouseEvent* event)
{
    // The bar can be dragged by its background.
    if (event->button() == Qt::LeftButton && windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        return;
    }
    QWidget::mousePressEvent(event);
}

void ZubFloatingPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    applyShape();
}
