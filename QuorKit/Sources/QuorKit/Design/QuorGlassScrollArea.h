#pragma once

#include <Qt>

class QScrollArea;
class QWidget;

// A transparent scroll area over the glass ground with thin light scroll bars; `content` becomes its
// resizable widget. Indicators hidden means the bars never show (the area still scrolls).
QScrollArea* quorGlassScrollArea(QWidget* content, Qt::Orientation orientation, bool showsIndicators,
                                 QWidget* parent = nullptr);
