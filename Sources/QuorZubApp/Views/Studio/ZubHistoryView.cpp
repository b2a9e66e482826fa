#include "QuorZubApp/Views/Studio/ZubHistoryView.h"

#include "QuorZubApp/Views/Studio/ZubHistoryCardColumn.h"
#include "QuorZubApp/Views/Studio/ZubHistorySearch.h"
#include "QuorZubApp/Views/Studio/ZubStudioButton.h"
#include "QuorZubApp/Views/Studio/ZubStudioLayout.h"
#include "QuorZubApp/Views/Studio/ZubStudioPlate.h"

#include "QuorKit/Design/QuorAccessibleButton.h"
#include "QuorKit/Design/QuorCssColor.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextLayout>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

using namespace ZubStudioLayout;

namespace {

constexpr int kLoadAheadPixels = 600;
// How long one turn of the event loop may spend building cards.
constexpr qint64 kBuildingMsPerTurn = 4;

// Each card shown lays its list out again at once, every card in it. While a batch of cards goes
// in, the list waits; then it is laid out once.
class LayoutPause {
public:
    explicit LayoutPause(QLayout* layout) : m_layout(layout) { m_layout->setEnabled(false); }
    ~LayoutPause()
    {
        m_layout->setEnabled(true);
        m_layout->activate();
    }
    LayoutPause(const LayoutPause&) = delete;
    LayoutPause& operator=(const LayoutPause&) = delete;

private:
    QLayout* m_layout;
};

// A symbol's label, named so that tests and syncs can find it.
QLabel* namedSymbol(const QString& symbol, double size, const QColor& color, QWidget* parent)
{
    QLabel* label = symbolLabel(symbol, size, color, parent);
    label->setObjectName(QStringLiteral("symbol"));
    return label;
}

// One wrapped line of a text: which paragraph, where it starts, how long it is, how tall.
struct WrappedLine {
    qsizetype paragraph = 0;
    int start = 0;
    int length = 0;
    double height = 0;
};

// The first `maxLines` lines as a text wraps at `width`, and one more when the text goes on: at
// word boundaries, or anywhere inside a word too long for one line (an address, a hash), so a card
// never grows wider than the list. Nothing past them is laid out.
QList<WrappedLine> wrapLines(const QStringList& paragraphs, const QFont& font, double width, int maxLines)
{
    QList<WrappedLine> lines;
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (qsizetype p = 0; p < paragraphs.size() && lines.size() <= maxLines; ++p) {
        QTextLayout layout(paragraphs[p], font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid() && lines.size() <= maxLines; line = layout.createLine()) {
            line.setLineWidth(std::max(1.0, width));
            lines.append({p, line.textStart(), line.textLength(), line.height()});
        }
        layout.endLayout();
    }
    return lines;
}

QStringList paragraphsOf(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return unified.split(QLatin1Char('\n'));
}

// A text's first wrapped lines at the widths last asked for: one layout pass asks a card's height
// at the same width many times, and a paint needs the same lines again. The list is measured at
// two widths in turn (with and without its scroll bar), so two are kept.
class WrappedLinesCache {
public:
    WrappedLinesCache(const QString& text, int maxLines) : m_paragraphs(paragraphsOf(text)), m_maxLines(maxLines) {}

    const QStringList& paragraphs() const { return m_paragraphs; }
    int maxLines() const { return m_maxLines; }

    const QList<WrappedLine>& lines(const QFont& font, double width) const
    {
        if (m_font != font) {
            m_kept[0].reset();
            m_kept[1].reset();
            m_font = font;
        }
        for (const std::optional<Kept>& kept : m_kept) {
            if (kept && kept->width == width) {
                return kept->lines;
            }
        }
        // The older of the two gives way.
        m_kept[1] = std::move(m_kept[0]);
        m_kept[0] = Kept{width, wrapLines(m_paragraphs, font, width, m_maxLines)};
        return m_kept[0]->lines;
    }

    int height(const QFont& font, double width) const
    {
        const QList<WrappedLine>& shown = lines(font, width);
        double height = 0;
        for (qsizetype i = 0; i < shown.size() && i < m_maxLines; ++i) {
            height += shown[i].height;
        }
        return static_cast<int>(std::ceil(height));
    }

private:
    struct Kept {
        double width = 0;
        QList<WrappedLine> lines;
    };

    QStringList m_paragraphs;
    int m_maxLines;
    mutable QFont m_font;
    mutable std::optional<Kept> m_kept[2];
};

// A text of at most `maxLines` wrapped lines; the last one ends in an ellipsis when more is left.
class ClampedText : public QWidget {
public:
    ClampedText(const QString& text, const QFont& font, const QColor& color, int maxLines, QWidget* parent)
        : QWidget(parent), m_lines(text, maxLines), m_text(text), m_color(color)
    {
        setFont(font);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    QString text() const { return m_text; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return m_lines.height(font(), width); }
    QSize sizeHint() const override { return {200, heightForWidth(width() > 0 ? width() : 200)}; }
    QSize minimumSizeHint() const override { return {0, QFontMetrics(font()).height()}; }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(m_color);
        const QFontMetricsF metrics(font());
        const QStringList& paragraphs = m_lines.paragraphs();
        const int maxLines = m_lines.maxLines();
        const QList<WrappedLine>& lines = m_lines.lines(font(), width());
        double y = 0;
        for (qsizetype i = 0; i < lines.size() && i < maxLines; ++i) {
            const WrappedLine& line = lines[i];
            QString shown = paragraphs[line.paragraph].mid(line.start, line.length);
            if (i == maxLines - 1 && lines.size() > maxLines) {
                // Everything left, on the one last line.
                QStringList rest{paragraphs[line.paragraph].mid(line.start)};
                rest += paragraphs.mid(line.paragraph + 1);
                shown = metrics.elidedText(rest.join(QLatin1Char(' ')), Qt::ElideRight, width());
            }
            painter.drawText(QPointF(0, y + metrics.ascent()), shown);
            y += line.height;
        }
    }

private:
    WrappedLinesCache m_lines;
    QString m_text;
    QColor m_color;
};

// A read-only text the user can select, at most `maxLines` wrapped lines high. The wheel scrolls
// the list around it, never the text.
class ClampedSelectableText : public QPlainTextEdit {
public:
    ClampedSelectableText(const QString& text, const QFont& font, const QColor& color, int maxLines, QWidget* parent)
        : QPlainTextEdit(parent), m_lines(text, maxLines)
    {
        setReadOnly(true);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        setFrameShape(QFrame::NoFrame);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setFont(font);
        document()->setDocumentMargin(0);
        viewport()->setAutoFillBackground(false);
        // Colours through the palette: a style sheet of its own would give every card a style
        // object to build and polish.
        QPalette colors = palette();
        colors.setColor(QPalette::Base, Qt::transparent);
        colors.setColor(QPalette::Text, color);
        colors.setColor(QPalette::Highlight, QColor::fromRgbF(1, 1, 1, 0.28f));
        setPalette(colors);
        setPlainText(text);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    // The editor lays its text out a cursor's width narrower than itself.
    int heightForWidth(int width) const override { return m_lines.height(font(), width - 2 - cursorWidth()) + 1; }
    QSize sizeHint() const override { return {200, heightForWidth(width() > 0 ? width() : 200)}; }
    QSize minimumSizeHint() const override { return {0, QFontMetrics(font()).height()}; }

protected:
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }

private:
    WrappedLinesCache m_lines;
};

// A record's card as the list sees it: as tall as its texts make it at the list's width, fixed
// when it is built and again whenever that width changes. The list then lays out thousands of cards
// without asking each one, and every box inside it, for its height at every turn.
class RecordCard : public QuorGlassCard {
public:
    using QuorGlassCard::QuorGlassCard;

    bool hasHeightForWidth() const override { return false; }

    void fitWidth(int width)
    {
        if (width > 0 && width != m_fittedWidth) {
            m_fittedWidth = width;
            setFixedHeight(layout()->totalHeightForWidth(width));
        }
    }

private:
    int m_fittedWidth = -1;
};

} // namespace

ZubHistoryView::ZubHistoryView(ZubStudioModel& model, const QColor& accent, QWidget* parent)
    : QWidget(parent), m_model(model), m_accent(accent)
{
    setObjectName(QStringLiteral("historyTab"));
    QVBoxLayout* layout = vbox(this, 0);
    layout->addWidget(buildFilterBar());
    layout->addWidget(divider(this));
    m_emptyState = buildEmptyState();
    layout->addWidget(m_emptyState, 1);

    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("historyList"));
    m_listLayout = new ZubHistoryCardColumn(column);
    m_listLayout->setSpacing(10);
    m_listLayout->setContentsMargins(20, 20, 20, 20);
    m_scroll = quorGlassScrollArea(column, Qt::Vertical, true, this);
    // The cards' heights follow the list's width.
    m_scroll->viewport()->installEventFilter(this);
    layout->addWidget(m_scroll, 1);
    QScrollBar* bar = m_scroll->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &ZubHistoryView::loadMoreIfNearEnd);
    connect(bar, &QScrollBar::rangeChanged, this, &ZubHistoryView::loadMoreIfNearEnd);

    m_finder = new ZubHistorySearch(this);
    connect(m_finder, &ZubHistorySearch::searched, this, &ZubHistoryView::sync);
    connect(&m_model, &ZubStudioModel::changed, this, &ZubHistoryView::sync);
    sync();
}

QWidget* ZubHistoryView::buildFilterBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("filterBar"));
    QHBoxLayout* layout = hbox(bar, 10, QMargins(20, 12, 20, 12));

    auto* field = new ZubStudioPlate(QuorGlassTokens::surface2(), QuorGlassTokens::borderSubtle(), 9, bar);
    field->setMaximumWidth(280);
    field->setMinimumWidth(150);
    QHBoxLayout* fieldLayout = hbox(field, 6, QMargins(10, 7, 10, 7));
    fieldLayout->addWidget(namedSymbol(QStringLiteral("magnifyingglass"), 12, QuorGlassTokens::textMuted(), field));
    m_search = new QLineEdit(field);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setFrame(false);
    m_search->setFont(QuorFonts::system(12.5));
    m_search->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; padding: 0; color: %1; }")
                                .arg(quorCssColor(QuorGlassTokens::textPrimary())));
    QPalette palette = m_search->palette();
    palette.setColor(QPalette::PlaceholderText, QuorGlassTokens::textMuted());
    m_search->setPalette(palette);
    // Every keystroke refilters at once.
    connect(m_search, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_state.searchQuery = text;
        m_limit = batchSize;
        sync();
    });
    fieldLayout->addWidget(m_search, 1);
    layout->addWidget(field, 1);

    auto* pills = new QHBoxLayout;
    pills->setSpacing(6);
    for (const ZubHistoryFilter filter : ZubHistoryFilters::allCases()) {
        ZubStudioButton* pill = textButton(QStringLiteral("filter:") + ZubHistoryFilters::rawValue(filter), -1, QString(),
                                           QuorFonts::system(11.5, QFont::Medium), QuorGlassTokens::textSecondary(),
                                           QMargins(10, 5, 10, 5), bar);
        // Inside a button the label would otherwise draw in the button-text colour, not its own.
        pill->findChild<QLabel*>(QStringLiteral("text"))->setForegroundRole(QPalette::WindowText);
        connect(pill, &QAbstractButton::clicked, this, [this, filter] { chooseFilter(filter); });
        pills->addWidget(pill);
        m_pills.append(pill);
    }
    layout->addLayout(pills);
    layout->addStretch(1);

    m_clearButton = new QuorStyledButton(QString(), QStringLiteral("trash"), QuorGlassButtonStyle{false}, bar);
    m_clearButton->setObjectName(QStringLiteral("clearUnpinned"));
    connect(m_clearButton, &QAbstractButton::clicked, this, [this] { m_model.clearUnpinnedHistory(); });
    layout->addWidget(m_clearButton);
    return bar;
}

QWidget* ZubHistoryView::buildEmptyState()
{
    auto* empty = new QWidget(this);
    empty->setObjectName(QStringLiteral("emptyState"));
    QVBoxLayout* layout = vbox(empty, 10, QMargins(20, 20, 20, 20));
    layout->addStretch(1);
    QLabel* symbol = namedSymbol(QStringLiteral("clock.arrow.circlepath"), 36, QuorGlassTokens::textMuted(), empty);
    layout->addWidget(symbol, 0, Qt::AlignHCenter);
    m_emptyTitle = QuorLabels::make(QString(), QuorFonts::system(15, QFont::DemiBold), QuorGlassTokens::textPrimary(), empty);
    m_emptyTitle->setObjectName(QStringLiteral("emptyTitle"));
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_emptyTitle);
    m_emptyHint = QuorLabels::make(QString(), QuorFonts::system(12), QuorGlassTokens::textSecondary(), empty);
    m_emptyHint->setObjectName(QStringLiteral("emptyHint"));
    m_emptyHint->setAlignment(Qt::AlignCenter);
    m_emptyHint->setWordWrap(true);
    layout->addWidget(m_emptyHint);
    layout->addStretch(1);
    return empty;
}

QWidget* ZubHistoryView::makeCard(const QString& key, const ZubHistoryPresentation::Card& card)
{
    auto* content = new QWidget;
    QVBoxLayout* layout = vbox(content, 8);

    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(namedSymbol(card.symbol, 13, card.symbolColor, content));
    QLabel* title = QuorLabels::make(card.title, QuorFonts::system(13, QFont::Bold), QuorGlassTokens::textPrimary(), content);
    title->setObjectName(QStringLiteral("title"));
    header->addWidget(title);
    if (card.languageBadge) {
        QLabel* text = QuorLabels::make(*card.languageBadge, QuorFonts::monospaced(10, QFont::Bold), m_accent, content);
        text->setObjectName(QStringLiteral("text"));
        ZubStudioPlate* badge = plateAround(text, withAlpha(m_accent, 0.15), -1, QMargins(6, 2, 6, 2), content);
        badge->setObjectName(QStringLiteral("languageBadge"));
        header->addWidget(badge);
    }
    header->addStretch(1);
    QLabel* date = QuorLabels::make(card.dateText, QuorFonts::system(10.5), QuorGlassTokens::textMuted(), content);
    date->setObjectName(QStringLiteral("date"));
    header->addWidget(date);
    QLabel* duration = QuorLabels::make(card.durationText, QuorFonts::monospaced(10.5), QuorGlassTokens::textMuted(), content);
    duration->setObjectName(QStringLiteral("duration"));
    header->addWidget(duration);
    layout->addLayout(header);

    auto* input = new ClampedText(card.inputText, QuorFonts::system(11.5), QuorGlassTokens::textSecondary(), 2, content);
    input->setObjectName(QStringLiteral("input"));
    layout->addWidget(input);

    auto* well = new ZubStudioPlate(QColor::fromRgbF(0, 0, 0, 0.22f), std::nullopt, 8, content);
    auto* output = new ClampedSelectableText(card.outputText, QuorFonts::system(12.5), card.outputColor, 4, well);
    output->setObjectName(QStringLiteral("output"));
    // The text reads as the result of the record the card shows.
    output->setAccessibleName(card.recordName);
    vbox(well, 0, QMargins(9, 9, 9, 9))->addWidget(output);
    layout->addWidget(well);

    const ZubHistoryRecord record = card.record;
    const std::optional<QString> speakCode = card.speakLanguageCode;
    auto* actions = new QHBoxLayout;
    actions->setSpacing(8);
    auto* copy = new QuorStyledButton(card.copyTitle, QStringLiteral("doc.on.doc"), QuorGlassButtonStyle{false}, content);
    copy->setObjectName(QStringLiteral("copy"));
    copy->setAccessibleName(card.copyName);
    connect(copy, &QAbstractButton::clicked, this, [this, record] { copyOutput(record); });
    actions->addWidget(copy);
    auto* speak = new QuorStyledButton(card.speakTitle, QStringLiteral("speaker.wave.2.fill"),
                                       QuorGlassButtonStyle{false}, content);
    speak->setObjectName(QStringLiteral("speak"));
    speak->setAccessibleName(card.speakName);
    connect(speak, &QAbstractButton::clicked, this,
            [this, record, speakCode] { m_model.speak(record.outputText, speakCode); });
    actions->addWidget(speak);
    auto* open = new QuorStyledButton(card.openTitle, QStringLiteral("arrow.uturn.left"), QuorGlassButtonStyle{false}, content);
    open->setObjectName(QStringLiteral("open"));
    open->setAccessibleName(card.openName);
    connect(open, &QAbstractButton::clicked, this, [this, record] { openInPlayground(record); });
    actions->addWidget(open);
    actions->addStretch(1);
    ZubStudioButton* pin = glassIconButton(QStringLiteral("pin"), card.pinSymbol, card.pinColor, card.pinActive, content);
    pin->setToolTip(card.pinTitle);
    pin->setAccessibleName(card.pinName);
    connect(pin, &QAbstractButton::clicked, this, [this, record] { m_model.toggleHistoryPin(record.id); });
    actions->addWidget(pin);
    ZubStudioButton* remove = glassIconButton(QStringLiteral("delete"), QStringLiteral("trash"), QuorGlassTokens::danger(),
                                              false, content);
    remove->setToolTip(card.deleteTitle);
    remove->setAccessibleName(card.deleteName);
    connect(remove, &QAbstractButton::clicked, this, [this, record] { m_model.deleteHistoryRecord(record.id); });
    actions->addWidget(remove);
    layout->addLayout(actions);

    auto* cardWidget = new RecordCard(14, 12, content);
    cardWidget->setObjectName(QStringLiteral("record:") + key);
    cardWidget->fitWidth(cardWidth());
    return cardWidget;
}

void ZubHistoryView::sync()
{
    // The list of a history that did not change is the same list, which compares at once.
    if (m_listingSettled && m_madeForLanguage == m_model.language() && m_madeForState == m_state &&
        m_madeFromHistory == m_model.history()) {
        return;
    }
    const QString localeName = ZubHistoryPresentation::systemLocaleName();
    // While a query's text is looked for on a worker, the list at hand stays, as the history and the
    // filter stand: pins, deletions and pills show at once.
    ZubHistorySearch::Listing listing = m_finder->listed({m_model.history(), m_state, localeName});
    m_listingSettled = listing.settled;
    m_madeFromHistory = m_model.history();
    m_madeForLanguage = m_model.language();
    m_madeForState = m_state;
    m_presentation = ZubHistoryPresentation::make(m_model.history(), std::move(listing.records), m_model.language(),
                                                  m_state, m_accent, localeName, {}, m_limit);
    const ZubHistoryPresentation& p = m_presentation;
    m_search->setPlaceholderText(p.searchPlaceholder);
    m_search->setAccessibleName(p.searchPlaceholder);
    for (qsizetype i = 0; i < m_pills.size() && i < p.pills.size(); ++i) {
        const ZubHistoryPresentation::PillLook look = ZubHistoryPresentation::pillLook(p.pills[i].isSelected, m_accent);
        ZubStudioButton* pill = m_pills[i];
        pill->setColors(look.fill, look.border);
        QLabel* text = pill->findChild<QLabel*>(QStringLiteral("text"));
        text->setText(p.pills[i].title);
        text->setFont(QuorFonts::system(11.5, look.semibold ? QFont::DemiBold : QFont::Medium));
        QuorLabels::setColor(text, look.text);
        pill->setAccessibleName(p.pills[i].title);
        QuorAccessibleButton::setChoice(pill, QAccessible::RadioButton, p.pills[i].isSelected);
        pill->updateGeometry();
    }
    m_clearButton->setText(p.clearTitle);
    m_clearButton->setEnabled(p.clearEnabled);
    m_clearButton->updateGeometry();
    m_emptyTitle->setText(p.emptyTitle);
    m_emptyHint->setText(p.emptyHint);
    syncList();
}

void ZubHistoryView::syncList()
{
    const QList<ZubHistoryPresentation::Card>& cards = m_presentation.cards;
    m_emptyState->setVisible(m_presentation.showsEmptyState);
    m_scroll->setVisible(!m_presentation.showsEmptyState);

    const QList<ZubHistoryPresentation::Card> wanted = cards.mid(0, std::min(cards.size(), m_limit));
    QStringList keys;
    // Ids are unique: the store gives duplicates of a hand-edited file ids of their own.
    for (const ZubHistoryPresentation::Card& card : wanted) {
        keys << card.record.id.toString(QUuid::WithoutBraces);
    }
    if (wanted == m_builtCards && keys == m_builtKeys) {
        return;
    }

    // Cards out of the layout, then back in the new order. A card
    // that changed is built afresh; an old one may hold the button whose click changed it, so it
    // goes once that click's handling is over.
    const LayoutPause pause(m_listLayout);
    while (m_listLayout->count() > 0) {
        delete m_listLayout->takeAt(0);
    }
    QHash<QString, CardEntry> next;
    for (qsizetype i = 0; i < wanted.size(); ++i) {
        CardEntry entry = m_cards.take(keys[i]);
        QPointer<QWidget> old;
        if (!entry.widget || !(entry.card == wanted[i])) {
            old = entry.widget;
            entry.card = wanted[i];
            entry.widget = makeCard(keys[i], wanted[i]);
        }
        m_listLayout->insertWidget(static_cast<int>(i), entry.widget);
        entry.widget->show();
        if (old) {
            // The focus stays with the same control of the card built afresh (a pin just toggled).
            QuorKeyboardReach::carryFocus(old, entry.widget);
            retireLater(old);
        }
        next.insert(keys[i], entry);
    }
    for (const CardEntry& stale : std::as_const(m_cards)) {
        // A card that left the list hands its focus to the search field, never on to another
        // card's button, where a second key press meant for this one would land.
        if (stale.widget) {
            QuorKeyboardReach::handFocus(stale.widget, m_search);
        }
        retireLater(stale.widget);
    }
    m_cards = next;
    m_builtKeys = keys;
    m_builtCards = wanted;
    if (wanted.size() < m_presentation.listed.size()) {
        QMetaObject::invokeMethod(this, &ZubHistoryView::loadMoreIfNearEnd, Qt::QueuedConnection);
    }
}

void ZubHistoryView::loadMoreIfNearEnd()
{
    // Judged on the built cards' own height, which is right before the scroll area has caught up
    // with the last batch. A list being searched for replaces the one at hand, which grows no more;
    // nor does one whose last batch is still being built.
    if (m_finder->isSearching() || m_limit >= m_presentation.listed.size() || !m_scroll->isVisible() ||
        m_builtCards.size() < std::min(m_limit, m_presentation.cards.size())) {
        return;
    }
    // The column's size hint adds up the heights the cards fixed at the list's width.
    const int contentHeight = m_scroll->widget()->sizeHint().height();
    const int seen = m_scroll->verticalScrollBar()->value() + m_scroll->viewport()->height();
    if (contentHeight - seen <= kLoadAheadPixels) {
        m_limit += batchSize;
        m_presentation.makeCardsUpTo(m_limit, m_model.language(), m_accent, ZubHistoryPresentation::systemLocaleName());
        // In a turn of its own: the scroll that asked for them is painted first.
        QMetaObject::invokeMethod(this, &ZubHistoryView::appendCards, Qt::QueuedConnection);
    }
}

void ZubHistoryView::appendCards()
{
    // The cards built so far stay where they are, in the layout as they were: taking them all out
    // and back in would lay out every one of them again, thousands after a long scroll.
    const QList<ZubHistoryPresentation::Card>& cards = m_presentation.cards;
    const qsizetype wanted = std::min(cards.size(), m_limit);
    // A few at a time, for a short while each turn of the event loop: building a card takes
    // milliseconds, and the window answers between the turns.
    QElapsedTimer turn;
    turn.start();
    {
        const LayoutPause pause(m_listLayout);
        const qsizetype from = m_builtCards.size();
        for (qsizetype i = from; i < wanted && (i == from || turn.elapsed() < kBuildingMsPerTurn); ++i) {
            const QString key = cards[i].record.id.toString(QUuid::WithoutBraces);
            CardEntry entry{cards[i], makeCard(key, cards[i])};
            m_listLayout->insertWidget(static_cast<int>(i), entry.widget);
            entry.widget->show();
            m_cards.insert(key, entry);
            m_builtKeys << key;
            m_builtCards << cards[i];
        }
    }
    if (m_builtCards.size() < wanted) {
        QMetaObject::invokeMethod(this, &ZubHistoryView::appendCards, Qt::QueuedConnection);
    } else if (m_builtCards.size() < m_presentation.listed.size()) {
        QMetaObject::invokeMethod(this, &ZubHistoryView::loadMoreIfNearEnd, Qt::QueuedConnection);
    }
}

int ZubHistoryView::cardWidth() const
{
    const QMargins margins = m_listLayout->contentsMargins();
    return m_scroll->viewport()->width() - margins.left() - margins.right();
}

bool ZubHistoryView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize) {
        const int width = cardWidth();
        for (const CardEntry& entry : std::as_const(m_cards)) {
            if (auto* card = static_cast<RecordCard*>(entry.widget.data())) {
                card->fitWidth(width);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ZubHistoryView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    QMetaObject::invokeMethod(this, &ZubHistoryView::loadMoreIfNearEnd, Qt::QueuedConnection);
}

void ZubHistoryView::chooseFilter(ZubHistoryFilter filter)
{
    m_state.filter = filter;
    m_limit = batchSize;
    sync();
}

void ZubHistoryView::copyOutput(const ZubHistoryRecord& record)
{
    QGuiApplication::clipboard()->setText(record.outputText, QClipboard::Clipboard);
    m_model.showToast(m_presentation.copiedToast, false);
}

void ZubHistoryView::openInPlayground(const ZubHistoryRecord& record)
{
    m_model.setPlaygroundText(record.inputText);
    m_model.setSelectedTab(ZubStudioTab::playground);
}
