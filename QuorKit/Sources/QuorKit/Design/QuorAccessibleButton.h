#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

// How a screen reader sees the kit's and the application's own buttons, which draw their titles
// themselves or hold them in labels: a push button (a check box when it toggles) named by its
// title, else by the labels it holds, else by its tooltip, with press and toggle actions.
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
    // For QAccessible::installFactory: our own button classes; Qt's stock buttons keep theirs.
    static QAccessibleInterface* factory(const QString& className, QObject* object);

private:
    QAbstractButton* button() const;
};
