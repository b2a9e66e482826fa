#pragma once

#include <QProxyStyle>

// The application's style with the standard icons a widget asks for while it is being built
// (the menu bar's overflow arrow) read only when first drawn or measured. Reading one means
// asking every image format plugin about the file, which loads them all with their libraries,
// about a megabyte that would stay resident for an arrow that a wide window never shows.
class ZubDeferredIconStyle : public QProxyStyle {
public:
    // Wraps the style the application would use (the desktop's, or the one named by -style or
    // QT_STYLE_OVERRIDE) and makes it the application's.
    static void install();

    explicit ZubDeferredIconStyle(QStyle* base = nullptr) : QProxyStyle(base) {}

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
