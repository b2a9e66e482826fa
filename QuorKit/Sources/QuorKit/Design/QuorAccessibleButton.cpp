#include "QuorKit/Design/QuorAccessibleButton.h"

#include "QuorKit/Design/QuorMenuPicker.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <optional>

namespace {
const char* const choiceRoleProperty = "quorChoiceRole";
const char* const chosenProperty = "quorChosen";

std::optional<QAccessible::Role> choiceRole(const QAbstractButton& button)
{
    const QVariant role = button.property(choiceRoleProperty);
    return role.isValid() ? std::optional(static_cast<QAccessible::Role>(role.toInt())) : std::nullopt;
}

// Radio buttons and check boxes are checked; tabs and list items are selected.
bool isChecking(QAccessible::Role role)
{
    return role == QAccessible::RadioButton || role == QAccessible::CheckBox;
}
} // namespace

QuorAccessibleButton::QuorAccessibleButton(QAbstractButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

QAbstractButton* QuorAccessibleButton::button() const
{
    return static_cast<QAbstractButton*>(object());
}

QAccessible::Role QuorAccessibleButton::role() const
{
    if (const std::optional<QAccessible::Role> choice = choiceRole(*button())) {
        return *choice;
    }
    // A picker opens a menu of choices and shows the current one: a combo box to a screen reader.
    if (qobject_cast<const QuorMenuPicker*>(button()) != nullptr) {
        return QAccessible::ComboBox;
    }
    return button()->isCheckable() ? QAccessible::CheckBox : QAccessible::Button;
}

QAccessible::State QuorAccessibleButton::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QAbstractButton* b = button();
    state.pressed = b->isDown();
    if (const std::optional<QAccessible::Role> choice = choiceRole(*b)) {
        const bool chosen = b->property(chosenProperty).toBool();
        if (isChecking(*choice)) {
            state.checkable = true;
            state.checked = chosen;
        } else {
            state.selectable = true;
            state.selected = chosen;
        }
    } else if (b->isCheckable()) {
        state.checkable = true;
        state.checked = b->isChecked();
    }
    return state;
}

QString QuorAccessibleButton::withoutMnemonic(const QString& title)
{
    QString read;
    read.reserve(title.size());
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (title[i] != QLatin1Char('&') || i + 1 == title.size()) {
            read += title[i];
            continue;
        }
        const QChar next = title[i + 1];
        if (next == QLatin1Char('&')) {
            read += next;
            ++i;
        } else if (next.isSpace()) {
            read += title[i];
        }
    }
    return read;
}

QString QuorAccessibleButton::nameOf(const QAbstractButton& button)
{
    if (!button.accessibleName().isEmpty()) {
        return button.accessibleName();
    }
    const QString title = withoutMnemonic(button.text());
    if (!title.trimmed().isEmpty()) {
        return title;
    }
    QStringList labels;
    for (const QLabel* label : button.findChildren<QLabel*>()) {
        if (!label->isHidden() && !label->text().trimmed().isEmpty()) {
            labels << label->text().trimmed();
        }
    }
    if (!labels.isEmpty()) {
        return labels.join(QLatin1Char(' '));
    }
    if (!button.toolTip().isEmpty()) {
        return button.toolTip();
    }
    if (const auto* picker = qobject_cast<const QuorMenuPicker*>(&button)) {
        return picker->labelText();
    }
    return {};
}

void QuorAccessibleButton::setChoice(QAbstractButton* button, QAccessible::Role role, bool chosen)
{
    const std::optional<QAccessible::Role> before = choiceRole(*button);
    const bool wasChosen = button->property(chosenProperty).toBool();
    button->setProperty(choiceRoleProperty, static_cast<int>(role));
    button->setProperty(chosenProperty, chosen);
    if (before == role && wasChosen == chosen) {
        return;
    }
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        if (isChecking(role)) {
            changed.checked = true;
        } else {
            changed.selected = true;
        }
        QAccessibleStateChangeEvent event(button, changed);
        QAccessible::updateAccessibility(&event);
    }
}

QString QuorAccessibleButton::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name) {
        const QString name = nameOf(*button());
        // Else a label that names it as its buddy.
        return name.isEmpty() ? QAccessibleWidget::text(t) : name;
    }
    if (const auto* picker = qobject_cast<const QuorMenuPicker*>(button()); picker != nullptr && t == QAccessible::Value) {
        return picker->labelText();
    }
    if (t == QAccessible::Description && button()->toolTip() == nameOf(*button())) {
        // Said once is enough.
        return button()->accessibleDescription();
    }
    return QAccessibleWidget::text(t);
}

QStringList QuorAccessibleButton::actionNames() const
{
    QStringList names;
    if (button()->isEnabled()) {
        names << (button()->isCheckable() ? toggleAction() : pressAction());
    }
    return names + QAccessibleWidget::actionNames();
}

void QuorAccessibleButton::doAction(const QString& actionName)
{
    if (!button()->isEnabled()) {
        return;
    }
    if (actionName == pressAction() || actionName == toggleAction()) {
        button()->click();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList QuorAccessibleButton::keyBindingsForAction(const QString& actionName) const
{
    if (actionName == pressAction() || actionName == toggleAction()) {
        return {QStringLiteral("Space")};
    }
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

QAccessibleInterface* QuorAccessibleButton::factory(const QString& /*className*/, QObject* object)
{
    auto* button = qobject_cast<QAbstractButton*>(object);
    if (button == nullptr || qobject_cast<QPushButton*>(object) != nullptr || qobject_cast<QCheckBox*>(object) != nullptr
        || qobject_cast<QRadioButton*>(object) != nullptr || qobject_cast<QToolButton*>(object) != nullptr) {
        return nullptr;
    }
    return new QuorAccessibleButton(button);
}
