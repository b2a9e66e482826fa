#pragma once

#include <QMargins>

class QHBoxLayout;
class QVBoxLayout;
class QWidget;

// Rows and columns with their spacing and margins set in one call. `owner` may be null for a
// layout that goes inside another one.
namespace QuorBoxLayouts {
QHBoxLayout* hbox(QWidget* owner, int spacing, const QMargins& margins = {});
QVBoxLayout* vbox(QWidget* owner, int spacing, const QMargins& margins = {});
} // namespace QuorBoxLayouts
