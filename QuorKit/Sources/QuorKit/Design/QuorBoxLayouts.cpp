#include "QuorKit/Design/QuorBoxLayouts.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace QuorBoxLayouts {

QHBoxLayout* hbox(QWidget* owner, int spacing, const QMargins& margins)
{
    auto* layout = new QHBoxLayout(owner);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

QVBoxLayout* vbox(QWidget* owner, int spacing, const QMargins& margins)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace QuorBoxLayouts
