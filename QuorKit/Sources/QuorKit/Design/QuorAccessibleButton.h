#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

// How a screen reader sees the kit's and the application's own buttons, which draw their titles
// themselves or hold them in labels: a push button (a check box when it toggles) named by its
// title, else by the labels it holds, else by its tooltip, with press and toggle actions. A button
// that stands for one choice among others (a tab, a segment, a card, a row) reads with the role
// of that choice and says whether it is the chosen one.
class QuorAccessibleButton : public QAccessibleWidget {
public:
    explicit QuorAccessibleButton(QAbstractButton* button);

    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

    // The accessible name: set by hand, else the title, else the visible labels inside, else the tooltip.
    static QString nameOf(const QAbstractButton& button);
    // A title as it reads aloud: "&&" is an ampersand, "&" before a letter marks its mnemonic, and
    // an "&" standing alone ("Feature & Improvement") is an ampersand.
    static QString withoutMnemonic(const QString& title);
    // Makes `button` one choice of a set: `role` is PageTab, RadioButton, CheckBox or ListItem;
    // `chosen` is announced as checked (radio buttons, check boxes) or selected (tabs, list items).
    // A change of `chosen` is told to screen readers. For the kit's and the application's own
    // button classes (Qt's stock buttons keep Qt's interface).
    static void setChoice(QAbstractButton* button, QAccessible::Role role, bool chosen);
    // For QAccessible::installFactory: our own button classes; Qt's stock buttons keep theirs.
    static QAccessibleInterface* factory(const QString& className, QObject* object);

private:
    QAbstractButton* button() const;
};
