#include "QuorZubApp/App/ZubDeferredIconStyle.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>

#include <functional>
#include <optional>

namespace {
// An icon made by `make` on its first use; until then it holds nothing.
class DeferredIconEngine final : public QIconEngine {
public:
    explicit DeferredIconEngine(std::function<QIcon()> make) : m_make(std::move(make)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QString iconName() override { return icon().name(); }
    bool isNull() override { return icon().isNull(); }
    QString key() const override { return QStringLiteral("ZubDeferredIcon"); }
    QIconEngine* clone() const override { return new DeferredIconEngine(*this); }

private:
    const QIcon& icon()
    {
        if (!m_icon) {
            m_icon = m_make();
        }
        return *m_icon;
    }

    std::function<QIcon()> m_make;
    std::optional<QIcon> m_icon;
};
} // namespace

void ZubDeferredIconStyle::install()
{
    // A fresh instance of the chosen style: the proxy owns its base, and the application deletes
    // the style it replaces.
    QApplication::setStyle(new ZubDeferredIconStyle(QStyleFactory::create(QApplication::style()->name())));
}

QIcon ZubDeferredIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                         const QWidget* widget) const
{
    const bool overflowArrow = standardIcon == SP_ToolBarHorizontalExtensionButton
                               || standardIcon == SP_ToolBarVerticalExtensionButton;
    // An option belongs to its caller's frame and cannot be kept for later.
    if (!overflowArrow || option != nullptr) {
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    }
    // The arrow is the same for every widget; only the layout direction picks it, and the
    // application's serves when no widget is given.
    return QIcon(new DeferredIconEngine([style = QPointer<QStyle>(baseStyle()), standardIcon] {
        return style ? style->standardIcon(standardIcon) : QIcon();
    }));
}
