#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QAbstractButton>

#include <functional>

class QMenu;
class QuorLanguagePickerState;

// A compact globe capsule with the language's short code that opens the interface-language choices
// as a menu: following the system first, then every language by name.
class QuorLanguageMenuButton : public QAbstractButton {
    Q_OBJECT
public:
    QuorLanguageMenuButton(QuorLanguage language, std::function<void(QuorLanguage)> onSelect,
                           QWidget* parent = nullptr);

    void setLanguage(QuorLanguage language);
    QuorLanguage language() const { return m_language; }
    bool isFollowingSystem() const;

    // The menu as it would open (the caller owns it): each action's data is the language's code, or
    // "system" for the first row; the check mark sits on the choice in force.
    QMenu* buildMenu();
    void select(const QuorLanguageSelection& selection);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void openMenu();

    QuorLanguage m_language;
    std::function<void(QuorLanguage)> m_onSelect;
    QuorLanguagePickerState* m_state;
};
