#include "QuorKit/Design/QuorLanguagePicker.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorLanguagePickerState.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorKit/Localization/QuorLocalization.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>

QuorLanguagePicker::QuorLanguagePicker(const std::optional<QString>& title, QuorLanguage language, bool showTitle,
                                       std::function<void(QuorLanguage)> onSelect, QWidget* parent)
    : QWidget(parent),
      m_title(title),
      m_language(language),
      m_showTitle(showTitle),
      m_onSelect(std::move(onSelect)),
      m_state(new QuorLanguagePickerState(this)),
      m_picker(new QuorMenuPicker(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    if (m_showTitle) {
        m_titleLabel = new QLabel(this);
        m_titleLabel->setTextFormat(Qt::PlainText);
        m_titleLabel->setFont(QuorFonts::system(12.5));
        QPalette palette = m_titleLabel->palette();
        palette.setColor(QPalette::WindowText, QuorGlassTokens::textPrimary());
        m_titleLabel->setPalette(palette);
        layout->addWidget(m_titleLabel);
    } else {
        m_picker->setMinimumWidth(190);
        m_picker->setMaximumWidth(260);
    }
    layout->addWidget(m_picker);
    m_picker->setObjectName(QStringLiteral("languagePicker"));
    connect(m_picker, &QuorMenuPicker::activated, this, [this](int index) {
        const auto rows = rowSelections();
        if (index >= 0 && index < rows.size() && rows[index]) {
            select(*rows[index]);
        }
    });
    connect(m_state, &QuorLanguagePickerState::isFollowingSystemChanged, this, &QuorLanguagePicker::render);
    render();
}

QString QuorLanguagePicker::resolvedTitle(const std::optional<QString>& title, QuorLanguage language)
{
    return title ? *title : quorText(QStringLiteral("Language"), QStringLiteral("Dil"), {}, language);
}

QString QuorLanguagePicker::title() const
{
    return resolvedTitle(m_title, m_language);
}

QList<std::optional<QuorLanguageSelection>> QuorLanguagePicker::rowSelections()
{
    QList<std::optional<QuorLanguageSelection>> rows{QuorLanguageSelection::system(), std::nullopt};
    for (const QuorLanguage language : QuorLanguages::sortedCases()) {
        rows.append(QuorLanguageSelection::explicitLanguage(language));
    }
    return rows;
}

void QuorLanguagePicker::setLanguage(QuorLanguage language)
{
    if (language != m_language) {
        m_language = language;
        render();
    }
}

QuorLanguageSelection QuorLanguagePicker::selection() const
{
    return m_state->isFollowingSystem() ? QuorLanguageSelection::system()
                                        : QuorLanguageSelection::explicitLanguage(m_language);
}

bool QuorLanguagePicker::isFollowingSystem() const
{
    return m_state->isFollowingSystem();
}

void QuorLanguagePicker::select(const QuorLanguageSelection& selection)
{
    // The picker is bound to the host's language: what it reports is what it shows next.
    const auto report = [this](QuorLanguage language) {
        m_language = language;
        if (m_onSelect) {
            m_onSelect(language);
        }
    };
    const QPointer<QuorLanguagePicker> self(this);
    QuorLanguagePickerState* state = m_state;
    if (const auto language = selection.explicitValue()) {
        state->chooseExplicit(*language, report);
    } else {
        state->chooseSystem(report);
    }
    if (self) {
        render();
    }
}

void QuorLanguagePicker::showEvent(QShowEvent* event)
{
    m_state->syncFromDefaults();
    QWidget::showEvent(event);
}

void QuorLanguagePicker::render()
{
    if (m_titleLabel != nullptr) {
        m_titleLabel->setText(title());
    }
    QList<QuorMenuPicker::Item> items;
    const auto rows = rowSelections();
    for (const auto& row : rows) {
        if (!row) {
            items.append({QString(), true});
        } else if (const auto language = row->explicitValue()) {
            items.append({QuorLanguages::displayName(*language), false});
        } else {
            items.append({QuorLanguagePickerState::systemRowLabel(m_language), false});
        }
    }
    m_picker->setItems(items);
    m_picker->setCurrentIndex(static_cast<int>(rows.indexOf(std::optional(selection()))));
    m_picker->setToolTip(m_showTitle ? QString() : title());
}
