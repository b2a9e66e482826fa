#pragma once

#include <QColor>
#include <QString>

// A colour as a style sheet value, "rgba(r, g, b, a)" with the opacity to three decimals.
QString quorCssColor(const QColor& color);
