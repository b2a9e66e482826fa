#include "QuorZubApp/Views/Studio/ZubActionsView.h"

#include "QuorZubApp/Views/Studio/ZubStudioButton.h"
#include "QuorZubApp/Views/Studio/ZubStudioLayout.h"
#include "QuorZubApp/Views/Studio/ZubStudioPlate.h"
#include "QuorZubApp/Views/Studio/ZubStudioSwitch.h"

#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassInputField.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

using namespace ZubStudioLayout;

namespace {
constexpr int kRowSpacing = 8;
// The height taken to be in sight before the tab has been laid out: a studio window's.
constexpr int kSightBeforeLayout = 800;

// The rows' column: as tall as all rows together, with the rows that exist placed by hand.
class RowsBox : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void()> resized;

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (resized) {
            resized();
        }
    }
};

bool holdsFocus(const QWidget* widget)
{
    const QWidget* focused = widget->window()->focusWidget();
    return focused != nullptr && widget->isAncestorOf(focused);
}
} // namespace

ZubActionsView::ZubActionsView(ZubStudioModel& model, const QColor& accent, QWidget* parent)
    : QWidget(parent), m_model(model), m_accent(accent)
{
    setObjectName(QStringLiteral("actionsTab"));
    scrollingColumn(this, {buildOrderCard(), buildCreatorCard()});
    m_scroll = findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_scroll != nullptr) {
        QScrollBar* bar = m_scroll->verticalScrollBar();
        connect(bar, &QScrollBar::valueChanged, this, &ZubActionsView::syncRows);
        connect(bar, &QScrollBar::rangeChanged, this, &ZubActionsView::syncRows);
    }
    measureRows();
    connect(&m_model, &ZubStudioModel::changed, this, &ZubActionsView::sync);
    sync();
}

QWidget* ZubActionsView::buildOrderCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 12);
    auto* header = new QHBoxLayout;
    m_orderTitle = cardTitle(box);
    m_orderSubtitle = cardSubtitle(box);
    header->addLayout(titleStack(m_orderTitle, m_orderSubtitle), 1);
    m_resetButton = new QuorStyledButton(QString(), QStringLiteral("arrow.counterclockwise"),
                                         QuorGlassButtonStyle{false}, box);
    m_resetButton->setObjectName(QStringLiteral("resetDefaults"));
    connect(m_resetButton, &QAbstractButton::clicked, this, [this] { m_model.resetDefaultActions(); });
    header->addWidget(m_resetButton);
    layout->addLayout(header);

    auto* rows = new RowsBox(box);
    rows->setObjectName(QStringLiteral("actionRows"));
    rows->resized = [this] {
        for (const RowWidgets& w : std::as_const(m_rows)) {
            placeRow(w);
        }
        syncRows();
    };
    m_rowsBox = rows;
    layout->addWidget(m_rowsBox);
    return glassCard(box);
}

QWidget* ZubActionsView::buildCreatorCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 12);
    m_creatorTitle = cardTitle(box);
    layout->addWidget(m_creatorTitle);
    m_creatorSubtitle = cardSubtitle(box);
    layout->addWidget(m_creatorSubtitle);

    auto* titles = new QHBoxLayout;
    titles->setSpacing(10);
    m_titleEN = new QLineEdit(box);
    m_titleEN->setObjectName(QStringLiteral("titleEN"));
    m_titleTR = new QLineEdit(box);
    m_titleTR->setObjectName(QStringLiteral("titleTR"));
    for (QLineEdit* field : {m_titleEN, m_titleTR}) {
        quorGlassInputField(field, 6, 8, 5);
        titles->addWidget(field, 1);
    }
    connect(m_titleEN, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_form.titleEN = text;
        syncCreator();
    });
    connect(m_titleTR, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_form.titleTR = text;
        syncCreator();
    });
    layout->addLayout(titles);

    auto* picker = new QHBoxLayout;
    picker->setSpacing(8);
    m_iconLabel = QuorLabels::make(QString(), QuorFonts::system(12, QFont::Medium), QuorGlassTokens::textSecondary(), box);
    picker->addWidget(m_iconLabel);
    for (const QString& symbol : ZubActionsPresentation::symbolOptions()) {
        auto* button = new ZubStudioButton(7, box);
        button->setObjectName(QStringLiteral("symbol:") + symbol);
        button->setProperty("symbolName", symbol);
        button->setFixedSize(28, 28);
        auto* icon = new QLabel(button);
        icon->setObjectName(QStringLiteral("symbol"));
        icon->setAlignment(Qt::AlignCenter);
        hbox(button, 0)->addWidget(icon);
        connect(button, &QAbstractButton::clicked, this, [this, symbol] {
            m_form.symbol = symbol;
            syncCreator();
        });
        picker->addWidget(button);
        m_symbolButtons.append(button);
    }
    picker->addStretch(1);
    layout->addLayout(picker);

    ZubStudioPlate* well = textWell(9, box);
    well->setFixedHeight(74 + 2 * 8);
    auto* stack = new QGridLayout(well);
    stack->setContentsMargins(8, 8, 8, 8);
    m_prompt = new QPlainTextEdit(well);
    m_prompt->setObjectName(QStringLiteral("prompt"));
    styleWellEditor(m_prompt, QuorFonts::system(12.5));
    m_prompt->setFixedHeight(74);
    m_prompt->setTabChangesFocus(true);
    connect(m_prompt, &QPlainTextEdit::textChanged, this, [this] {
        m_form.prompt = m_prompt->toPlainText();
        syncCreator();
    });
    stack->addWidget(m_prompt, 0, 0);
    // Lies over the editor's corner and lets every click through to it; 8 + 6 = 14 points in.
    m_promptPlaceholder = QuorLabels::make(QString(), QuorFonts::system(12), QuorGlassTokens::textMuted(), well);
    m_promptPlaceholder->setObjectName(QStringLiteral("promptPlaceholder"));
    m_promptPlaceholder->setWordWrap(true);
    m_promptPlaceholder->setContentsMargins(6, 6, 6, 6);
    m_promptPlaceholder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_promptPlaceholder->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_promptPlaceholder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    stack->addWidget(m_promptPlaceholder, 0, 0);
    m_promptPlaceholder->raise();
    layout->addWidget(well);

    auto* add = new QHBoxLayout;
    add->addStretch(1);
    m_addButton = new QuorStyledButton(QString(), QStringLiteral("plus.circle.fill"), QuorPrimaryButtonStyle{}, box);
    m_addButton->setObjectName(QStringLiteral("addCustomAction"));
    connect(m_addButton, &QAbstractButton::clicked, this, &ZubActionsView::addCustomAction);
    add->addWidget(m_addButton);
    layout->addLayout(add);
    return glassCard(box);
}

ZubActionsView::RowWidgets ZubActionsView::makeRow(const QString& key, const QUuid& id)
{
    RowWidgets w;
    w.id = id;
    auto* row = new ZubStudioPlate(QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle(), 10, m_rowsBox);
    row->setObjectName(QStringLiteral("action:") + key);
    w.row = row;
    QHBoxLayout* layout = hbox(row, 12, QMargins(12, 9, 12, 9));

    w.iconTile = new ZubStudioPlate(QuorGlassTokens::surface2(), std::nullopt, 8, row);
    w.iconTile->setFixedSize(30, 30);
    w.icon = new QLabel(w.iconTile);
    w.icon->setObjectName(QStringLiteral("icon"));
    w.icon->setAlignment(Qt::AlignCenter);
    hbox(w.iconTile, 0)->addWidget(w.icon);
    layout->addWidget(w.iconTile);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    w.title = QuorLabels::make(QString(), QuorFonts::system(13, QFont::DemiBold), QuorGlassTokens::textPrimary(), row);
    w.title->setObjectName(QStringLiteral("title"));
    line->addWidget(w.title);
    w.badgeText = QuorLabels::make(QString(), QuorFonts::monospaced(9.5, QFont::Bold), m_accent, row);
    w.badgeText->setObjectName(QStringLiteral("badgeText"));
    w.badge = plateAround(w.badgeText, Qt::transparent, -1, QMargins(6, 2, 6, 2), row);
    w.badge->setObjectName(QStringLiteral("badge"));
    line->addWidget(w.badge);
    line->addStretch(1);
    texts->addLayout(line);
    w.detail = QuorLabels::makeElided(QString(), QuorFonts::system(11), QuorGlassTokens::textMuted(), row);
    w.detail->setObjectName(QStringLiteral("detail"));
    // A custom action's prompt, of any length, on one line.
    QuorTextFit::markShortensByDesign(w.detail);
    texts->addWidget(w.detail);
    layout->addLayout(texts, 1);

    auto* moves = new QHBoxLayout;
    moves->setSpacing(4);
    w.up = glassIconButton(QStringLiteral("up"), QStringLiteral("chevron.up"), QuorGlassTokens::textPrimary(), false, row, 24);
    w.down = glassIconButton(QStringLiteral("down"), QStringLiteral("chevron.down"), QuorGlassTokens::textPrimary(), false,
                             row, 24);
    moves->addWidget(w.up);
    moves->addWidget(w.down);
    layout->addLayout(moves);
    connect(w.up, &QAbstractButton::clicked, this, [this, id] {
        m_model.moveAction(id, -1);
        sync();
    });
    connect(w.down, &QAbstractButton::clicked, this, [this, id] {
        m_model.moveAction(id, +1);
        sync();
    });

    w.remove = glassIconButton(QStringLiteral("delete"), QStringLiteral("trash"), QuorGlassTokens::danger(), false, row, 18);
    connect(w.remove, &QAbstractButton::clicked, this, [this, id] {
        m_model.deleteCustomAction(id);
        sync();
    });
    layout->addWidget(w.remove);

    w.toggle = new ZubStudioSwitch(m_accent, row);
    w.toggle->setObjectName(QStringLiteral("enabledSwitch"));
    // The switch flips itself on a click; the sync that follows puts it where the model says.
    connect(w.toggle, &QAbstractButton::clicked, this, [this, id](bool checked) {
        m_model.toggleActionEnabled(id, checked);
        sync();
    });
    layout->addWidget(w.toggle);
    return w;
}

void ZubActionsView::syncRow(RowWidgets& w, const ZubActionsPresentation::Row& row)
{
    if (w.shown == row) {
        return;
    }
    setSymbol(w.icon, row.symbol, 14, row.symbolColor);
    w.title->setText(row.title);
    QuorLabels::setColor(w.title, row.titleColor);
    w.badge->setColors(withAlpha(row.badgeColor, 0.16), std::nullopt);
    w.badgeText->setText(row.badge);
    QuorLabels::setColor(w.badgeText, row.badgeColor);
    w.detail->setText(row.detail);
    QuorLabels::setColor(w.detail, row.detailColor);
    w.detail->update();
    w.up->setEnabled(row.canMoveUp);
    w.down->setEnabled(row.canMoveDown);
    w.remove->setVisible(row.showsDelete);
    w.up->setToolTip(row.moveUpTitle);
    w.down->setToolTip(row.moveDownTitle);
    w.remove->setToolTip(row.deleteTitle);
    w.toggle->setToolTip(row.switchTitle);
    w.toggle->setChecked(row.isEnabled);
    w.toggle->update();
    w.shown = row;
}

void ZubActionsView::sync()
{
    const QList<ZubActionDefinition>& actions = m_model.config().actions;
    if (m_madeFromActions != actions || m_madeForLanguage != m_model.language()) {
        // Rows are made for the part in sight only, by syncRows().
        m_presentation = ZubActionsPresentation::make(m_model.config(), m_model.language(), m_form, m_accent, 0, 0);
        m_madeFromActions = actions;
        m_madeForLanguage = m_model.language();
    }
    const ZubActionsPresentation& p = m_presentation;
    m_orderTitle->setText(p.orderTitle);
    m_orderSubtitle->setText(p.orderSubtitle);
    m_resetButton->setText(p.resetTitle);
    m_resetButton->updateGeometry();
    syncRows();
    m_creatorTitle->setText(p.creatorTitle);
    m_creatorSubtitle->setText(p.creatorSubtitle);
    m_titleEN->setPlaceholderText(p.titleENPlaceholder);
    m_titleEN->setAccessibleName(p.titleENPlaceholder);
    m_titleTR->setPlaceholderText(p.titleTRPlaceholder);
    m_titleTR->setAccessibleName(p.titleTRPlaceholder);
    m_iconLabel->setText(p.iconLabel);
    m_promptPlaceholder->setText(p.promptPlaceholder);
    m_prompt->setAccessibleName(p.promptPlaceholder);
    for (ZubStudioButton* button : m_symbolButtons) {
        button->setToolTip(ZubActionsPresentation::symbolTitle(button->property("symbolName").toString(), m_model.language()));
    }
    m_addButton->setText(p.addTitle);
    m_addButton->updateGeometry();
    syncCreator();
}

void ZubActionsView::measureRows()
{
    // Every row has the same lines (one title, one detail) whatever its action: one made for the
    // purpose gives the height of all, and the width below which their controls would not fit.
    RowWidgets probe = makeRow(QString(), QUuid());
    ZubActionsPresentation::Row sample = ZubActionsPresentation::row(ZubActionDefinition::defaultActions().first(), 0, 2,
                                                                     m_model.language(), m_accent);
    sample.showsDelete = true;
    syncRow(probe, sample);
    probe.row->ensurePolished();
    m_rowHeight = std::max(1, probe.row->sizeHint().height());
    m_rowsBox->setMinimumWidth(probe.row->minimumSizeHint().width());
    delete probe.row;
}

ZubActionsView::RowRange ZubActionsView::rowsInSight() const
{
    const qsizetype total = m_presentation.sortedActions.size();
    const int pitch = m_rowHeight + kRowSpacing;
    int top = 0;
    int height = 0;
    if (m_scroll != nullptr) {
        top = m_rowsBox->mapFrom(m_scroll->viewport(), QPoint(0, 0)).y();
        height = m_scroll->viewport()->height();
    }
    height = std::max(height, kSightBeforeLayout);
    const qsizetype first = std::clamp<qsizetype>((top - rowsAheadPixels) / pitch, 0, total);
    const qsizetype end = std::clamp<qsizetype>((top + height + rowsAheadPixels) / pitch + 1, first, total);
    return {first, end - first};
}

void ZubActionsView::placeRow(const RowWidgets& w) const
{
    const qint64 top = w.index * (m_rowHeight + kRowSpacing);
    w.row->setGeometry(0, static_cast<int>(std::min<qint64>(top, QWIDGETSIZE_MAX)), m_rowsBox->width(), m_rowHeight);
}

void ZubActionsView::syncRows()
{
    // Placing rows and sizing the column move the scroll bar, which asks for this again.
    if (m_syncingRows) {
        return;
    }
    const QScopedValueRollback guard(m_syncingRows, true);
    const qsizetype total = m_presentation.sortedActions.size();
    const qint64 height = total == 0 ? 0 : total * (m_rowHeight + kRowSpacing) - kRowSpacing;
    m_rowsBox->setFixedHeight(static_cast<int>(std::min<qint64>(height, QWIDGETSIZE_MAX)));

    const RowRange sight = rowsInSight();
    m_presentation.makeRows(sight.first, sight.count, m_model.language(), m_accent);
    QSet<QString> inSight;
    for (qsizetype i = 0; i < m_presentation.rows.size(); ++i) {
        const ZubActionsPresentation::Row& row = m_presentation.rows[i];
        const QString key = row.id.toString(QUuid::WithoutBraces);
        auto found = m_rows.find(key);
        if (found == m_rows.end()) {
            found = m_rows.insert(key, makeRow(key, row.id));
            found->row->show();
        }
        found->index = m_presentation.firstRow + i;
        syncRow(*found, row);
        placeRow(*found);
        inSight.insert(key);
    }
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (inSight.contains(it.key())) {
            ++it;
            continue;
        }
        const QList<ZubActionDefinition>& listed = m_presentation.sortedActions;
        const QUuid id = it->id;
        const auto stays = std::find_if(listed.cbegin(), listed.cend(),
                                        [&id](const ZubActionDefinition& action) { return action.id == id; });
        if (stays != listed.cend() && holdsFocus(it->row)) {
            // Scrolled away from, a row keeps the focus it holds; the next key brings it back.
            it->index = stays - listed.cbegin();
            placeRow(*it);
            ++it;
            continue;
        }
        if (stays == listed.cend()) {
            // A row that left the list may hold the button whose click removed it: it goes once that
            // click's handling is over. Its focus goes to the form below, never to a neighbour's
            // button, where a second key press meant for this row (a delete) would land.
            QuorKeyboardReach::handFocus(it->row, m_titleEN);
        }
        retireLater(it->row);
        it = m_rows.erase(it);
    }
    chainRows();
}

void ZubActionsView::chainRows()
{
    QList<const RowWidgets*> built;
    built.reserve(m_rows.size());
    for (const RowWidgets& w : std::as_const(m_rows)) {
        built.append(&w);
    }
    std::sort(built.begin(), built.end(), [](const RowWidgets* a, const RowWidgets* b) { return a->index < b->index; });
    QStringList order;
    for (const RowWidgets* w : std::as_const(built)) {
        order << w->row->objectName();
    }
    if (order == m_rowOrder) {
        return;
    }
    m_rowOrder = order;
    // Only the rows that exist are chained, a screenful or two: linking thousands, one call walking
    // the chain each, would hold the tab up for minutes.
    QWidget* previous = m_resetButton;
    for (const RowWidgets* w : std::as_const(built)) {
        // Where no layout orders them, the keyboard's Tab follows the column's children as listed.
        w->row->raise();
        for (QWidget* control : {static_cast<QWidget*>(w->up), static_cast<QWidget*>(w->down),
                                 static_cast<QWidget*>(w->remove), static_cast<QWidget*>(w->toggle)}) {
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
    QWidget::setTabOrder(previous, m_titleEN);
}

void ZubActionsView::syncCreator()
{
    // Typing changes only the form's part of the presentation.
    ZubActionsPresentation& p = m_presentation;
    p.symbols = ZubActionsPresentation::symbolChoices(m_form.symbol);
    p.showsPromptPlaceholder = ZubActionsPresentation::showsPlaceholder(m_form);
    for (qsizetype i = 0; i < m_symbolButtons.size() && i < p.symbols.size(); ++i) {
        const ZubActionsPresentation::SymbolOption& option = p.symbols[i];
        ZubStudioButton* button = m_symbolButtons[i];
        button->setColors(option.background);
        auto* icon = button->findChild<QLabel*>(QStringLiteral("symbol"));
        if (icon->property("symbolColor").value<QColor>() != option.foreground ||
            icon->property("symbolName").toString() != option.symbol) {
            setSymbol(icon, option.symbol, 13, option.foreground);
        }
        button->setProperty("isSelected", option.isSelected);
        // One icon at a time: read as radio buttons.
        QuorAccessibleButton::setChoice(button, QAccessible::RadioButton, option.isSelected);
    }
    m_promptPlaceholder->setVisible(p.showsPromptPlaceholder);
}

void ZubActionsView::setForm(const CustomAIActionFormState& form)
{
    m_form = form;
    if (m_titleEN->text() != form.titleEN) {
        m_titleEN->setText(form.titleEN);
    }
    if (m_titleTR->text() != form.titleTR) {
        m_titleTR->setText(form.titleTR);
    }
    if (m_prompt->toPlainText() != form.prompt) {
        m_prompt->setPlainText(form.prompt);
    }
    syncCreator();
}

void ZubActionsView::addCustomAction()
{
    const CustomAIActionFormState submitted = m_form;
    m_model.addCustomAIAction(submitted.titleEN, submitted.titleTR, submitted.symbol, submitted.prompt);
    setForm(ZubActionsPresentation::formAfterAdd(submitted));
}
