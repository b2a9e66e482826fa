#pragma once

#include "QuorKit/Design/QuorStyledButton.h"

#include <QColor>
#include <QString>

#include <optional>

class QLabel;
class QWidget;
class QuorPlate;

// Small pieces the credits views share: buttons the keyboard reaches, labels that are set only
// when their text changes, and the error box under the views.
namespace QuorCreditsViewParts {

// A styled button that Tab, Space, Enter and Return reach; its title is also its accessible name.
QuorStyledButton* button(const QString& symbol, QuorButtonStyle style, QWidget* parent);
void setTitle(QAbstractButton* button, const QString& title);
void setText(QLabel* label, const QString& text);

// The store's last error under a view: a warning symbol and the text, wrapped, on a faint danger
// plate with `padding` around (server text, shown as plain text).
struct ErrorBox {
    QuorPlate* plate = nullptr;
    QLabel* text = nullptr;
};
ErrorBox errorBox(double padding, double textSize, QWidget* parent);
// Shows `error` in the box, or hides the box without one.
void showError(const ErrorBox& box, const std::optional<QString>& error);

} // namespace QuorCreditsViewParts
