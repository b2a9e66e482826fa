#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QuorLanguagePickerState;
class QuorMenuPicker;

// The interface-language menu picker of settings screens: "System Language (...)" first, then every
// language by name. An explicit choice makes that language current; the first row follows the
// system. Either way the language now in force goes to `onSelect` and becomes the picker's language.
class QuorLanguagePicker : public QWidget {
    Q_OBJECT
public:
    // A missing title reads "Language" in `language`. `language` is shown as chosen (unless the
    // preference follows the system) and is the language of the picker's own texts.
    QuorLanguagePicker(const std::optional<QString>& title, QuorLanguage language, bool showTitle,
                       std::function<void(QuorLanguage)> onSelect, QWidget* parent = nullptr);

    // The host's language changed: re-render in it.
    void setLanguage(QuorLanguage language);
    QuorLanguage language() const { return m_language; }
    QString title() const;
    bool showTitle() const { return m_showTitle; }

    // What the picker shows as chosen.
    QuorLanguageSelection selection() const;
    // The user's choice.
    void select(const QuorLanguageSelection& selection);
    bool isFollowingSystem() const;

    // The selection of each menu row; the separator's row holds nothing.
    static QList<std::optional<QuorLanguageSelection>> rowSelections();
    static QString resolvedTitle(const std::optional<QString>& title, QuorLanguage language);

    QuorMenuPicker* menuPicker() const { return m_picker; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void render();

    std::optional<QString> m_title;
    QuorLanguage m_language;
    bool m_showTitle;
    std::function<void(QuorLanguage)> m_onSelect;
    QuorLanguagePickerState* m_state;
    QLabel* m_titleLabel = nullptr;
    QuorMenuPicker* m_picker;
};
