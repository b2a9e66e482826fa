#include "QuorZubApp/Views/Studio/ZubPlaygroundView.h"

#include "QuorKit/Design/QuorAdaptiveGridLayout.h"
#include "QuorZubApp/Views/Studio/ZubPlaygroundEditor.h"
#include "QuorZubApp/Views/Studio/ZubStudioButton.h"
#include "QuorZubApp/Views/Studio/ZubStudioLayout.h"
#include "QuorZubApp/Views/Studio/ZubStudioPlate.h"
#include "QuorZubApp/Views/ZubSpinner.h"

#include "QuorKit/Design/QuorAnimation.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorMenuPicker.h"
#include "QuorKit/Design/QuorStyledButton.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Localization/QuorLocalization.h"
#include "QuorPlatform/Core/QuorError.h"
#include "QuorPlatform/Pasteboard/QuorClipboard.h"
#include "QuorZubCore/Models/ZubCaseTransformStyle.h"
#include "QuorZubCore/Models/ZubTargetLanguage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

using namespace ZubStudioLayout;

namespace {

// Tiles are made this far beyond the bottom of what is in sight.
constexpr int kTilesAheadPixels = 600;

// The QR image drawn without smoothing, so every module stays a sharp square.
class SharpImage : public QWidget {
public:
    SharpImage(QImage image, QWidget* parent) : QWidget(parent), m_image(std::move(image)) { setFixedSize(180, 180); }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        const QSizeF scaled = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
        const QRectF target((width() - scaled.width()) / 2, (height() - scaled.height()) / 2, scaled.width(),
                            scaled.height());
        painter.drawImage(target, m_image);
    }

private:
    QImage m_image;
};

} // namespace

ZubPlaygroundView::ZubPlaygroundView(ZubStudioModel& model, const QColor& accent, QWidget* parent)
    : QWidget(parent), m_model(model), m_accent(accent), m_figures(new ZubPlaygroundFigures(this))
{
    setObjectName(QStringLiteral("playgroundTab"));
    connect(m_figures, &ZubPlaygroundFigures::measured, this, &ZubPlaygroundView::sync);
    m_column = scrollingColumn(this, {buildStatusStrip(), buildInputCard(), buildGridCard()});
    m_scroll = findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
    if (m_scroll != nullptr) {
        QScrollBar* bar = m_scroll->verticalScrollBar();
        connect(bar, &QScrollBar::valueChanged, this, &ZubPlaygroundView::loadMoreTiles);
        connect(bar, &QScrollBar::rangeChanged, this, &ZubPlaygroundView::loadMoreTiles);
    }
    connect(&m_model, &ZubStudioModel::changed, this, &ZubPlaygroundView::sync);
    sync();
}

QWidget* ZubPlaygroundView::buildStatusStrip()
{
    auto* strip = new QWidget;
    QHBoxLayout* layout = hbox(strip, 10);
    for (int i = 0; i < 3; ++i) {
        auto* pill = new ZubStudioPlate(QuorGlassTokens::surface1(), QuorGlassTokens::borderSubtle(), -1, strip);
        pill->setObjectName(QStringLiteral("statusPill:") + QString::number(i));
        QHBoxLayout* pillLayout = hbox(pill, 6, QMargins(10, 6, 10, 6));
        QLabel* symbol = new QLabel(pill);
        symbol->setObjectName(QStringLiteral("symbol"));
        pillLayout->addWidget(symbol);
        QLabel* title = QuorLabels::make(QString(), QuorFonts::system(11), QuorGlassTokens::textSecondary(), pill);
        title->setObjectName(QStringLiteral("title"));
        pillLayout->addWidget(title);
        QLabel* value = QuorLabels::make(QString(), QuorFonts::monospaced(11, QFont::Bold), QuorGlassTokens::textPrimary(), pill);
        value->setObjectName(QStringLiteral("value"));
        pillLayout->addWidget(value);
        layout->addWidget(pill);
        m_statusPills.append(pill);
    }
    layout->addStretch(1);
    auto* preview = new QuorStyledButton(QString(), QStringLiteral("macwindow.on.rectangle"), QuorGlassButtonStyle{true}, strip);
    preview->setObjectName(QStringLiteral("previewButton"));
    connect(preview, &QAbstractButton::clicked, this, [this] { m_model.previewPlaygroundInFloatingBar(); });
    layout->addWidget(preview);
    m_previewButton = preview;
    return strip;
}

QWidget* ZubPlaygroundView::buildInputCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 12);

    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    m_inputTitle = cardTitle(box);
    m_inputSubtitle = cardSubtitle(box);
    header->addLayout(titleStack(m_inputTitle, m_inputSubtitle), 1);
    m_detectedText = QuorLabels::make(QString(), QuorFonts::monospaced(10.5, QFont::Bold), m_accent, box);
    m_detectedBadge = plateAround(m_detectedText, withAlpha(m_accent, 0.16), -1, QMargins(8, 4, 8, 4), box);
    m_detectedBadge->setObjectName(QStringLiteral("detectedBadge"));
    header->addWidget(m_detectedBadge, 0, Qt::AlignVCenter);
    m_stats = QuorLabels::make(QString(), QuorFonts::monospaced(10.5, QFont::Medium), QuorGlassTokens::textSecondary(), box);
    m_stats->setObjectName(QStringLiteral("stats"));
    header->addWidget(m_stats, 0, Qt::AlignVCenter);
    layout->addLayout(header);

    auto* chips = new QWidget;
    QHBoxLayout* chipLayout = hbox(chips, 6);
    const QList<ZubPlaygroundPresentation::Sample> samples = ZubPlaygroundPresentation::sampleTexts(m_model.language());
    for (int i = 0; i < samples.size(); ++i) {
        ZubStudioButton* chip = textButton(QStringLiteral("sample:") + QString::number(i), -1, QString(),
                                           QuorFonts::system(11, QFont::DemiBold), QuorGlassTokens::textPrimary(),
                                           QMargins(10, 5, 10, 5), chips);
        chip->setColors(QuorGlassTokens::surface2(), QuorGlassTokens::borderSubtle());
        connect(chip, &QAbstractButton::clicked, this, [this, i] { pickSample(i); });
        chipLayout->addWidget(chip);
        m_sampleChips.append(chip);
    }
    chipLayout->addStretch(1);
    QScrollArea* chipScroll = quorGlassScrollArea(chips, Qt::Horizontal, false, box);
    chipScroll->setWidgetResizable(true);
    chipScroll->setFixedHeight(chips->sizeHint().height() + 2);
    layout->addWidget(chipScroll);

    ZubStudioPlate* well = textWell(10, box);
    m_editor = new ZubPlaygroundEditor(well);
    m_editor->setObjectName(QStringLiteral("editor"));
    m_editor->pastesClipboard = [this] { pasteClipboardText(QPointer<ZubPlaygroundView>(this), true); };
    styleWellEditor(m_editor, QuorFonts::system(13.5));
    m_editor->setMinimumHeight(96);
    m_editor->setMaximumHeight(140);
    // Tab moves on to the next control rather than typing a tab.
    m_editor->setTabChangesFocus(true);
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        // A long text going in is taken once it is in whole.
        if (!m_editor->isFilling()) {
            takeEditorText();
        }
    });
    connect(m_editor, &ZubPlaygroundEditor::filled, this, &ZubPlaygroundView::takeEditorText);
    connect(m_editor->document(), &QTextDocument::contentsChange, this, &ZubPlaygroundView::noteEdit);
    vbox(well, 0, QMargins(10, 10, 10, 10))->addWidget(m_editor);
    layout->addWidget(well);

    auto* controls = new QHBoxLayout;
    controls->setSpacing(8);
    m_targetMenu = new QuorMenuPicker(box);
    m_targetMenu->setObjectName(QStringLiteral("targetMenu"));
    m_targetMenu->setSymbolName(QStringLiteral("globe"));
    m_targetMenu->setMarksCurrent(false);
    connect(m_targetMenu, &QuorMenuPicker::activated, this, &ZubPlaygroundView::pickTargetLanguage);
    m_caseMenu = new QuorMenuPicker(box);
    m_caseMenu->setObjectName(QStringLiteral("caseMenu"));
    m_caseMenu->setSymbolName(QStringLiteral("textformat"));
    m_caseMenu->setMarksCurrent(false);
    connect(m_caseMenu, &QuorMenuPicker::activated, this, &ZubPlaygroundView::pickCaseStyle);
    m_pasteButton = new QuorStyledButton(QString(), QStringLiteral("doc.on.clipboard"), QuorGlassButtonStyle{false}, box);
    m_pasteButton->setObjectName(QStringLiteral("pasteButton"));
    connect(m_pasteButton, &QAbstractButton::clicked, this, &ZubPlaygroundView::pasteClipboard);
    m_clearButton = new QuorStyledButton(QString(), QStringLiteral("trash"), QuorGlassButtonStyle{false}, box);
    m_clearButton->setObjectName(QStringLiteral("clearButton"));
    connect(m_clearButton, &QAbstractButton::clicked, this, &ZubPlaygroundView::clear);
    controls->addWidget(m_targetMenu);
    controls->addWidget(m_caseMenu);
    controls->addStretch(1);
    controls->addWidget(m_pasteButton);
    controls->addWidget(m_clearButton);
    layout->addLayout(controls);
    return glassCard(box);
}

QWidget* ZubPlaygroundView::buildGridCard()
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 10);
    m_gridTitle = QuorLabels::make(QString(), QuorFonts::system(13.5, QFont::Bold), QuorGlassTokens::textPrimary(), box);
    layout->addWidget(m_gridTitle);
    m_grid = new QWidget(box);
    m_grid->setObjectName(QStringLiteral("actionGrid"));
    m_gridLayout = new QuorAdaptiveGridLayout(132, 8, 8, m_grid);
    layout->addWidget(m_grid);
    return glassCard(box);
}

void ZubPlaygroundView::sync()
{
    const QList<ZubActionDefinition>& actions = m_model.config().actions;
    if (m_tilesFromActions != actions || m_tilesForLanguage != m_model.language() || m_tilesForLimit != m_tileLimit) {
        m_tileList = ZubPlaygroundPresentation::tilesFor(m_model.config(), m_model.language(), m_tileLimit);
        m_tilesFromActions = actions;
        m_tilesForLanguage = m_model.language();
        m_tilesForLimit = m_tileLimit;
    }
    const ZubPlaygroundPresentation next =
        ZubPlaygroundPresentation::makeFromFigures(m_figures->figures(m_model.playgroundText()),
                                                   m_model.playgroundResult(), m_model.isPlaygroundBusy(),
                                                   m_model.isSpeaking(), m_model.config(), m_model.language(),
                                                   m_tileList);
    const ZubPlaygroundPresentation previous = m_presentation;
    m_presentation = next;
    syncStatus();
    syncInput();
    if (m_firstSync || next.tiles != previous.tiles) {
        syncTiles();
    }
    for (QAbstractButton* tile : m_tiles) {
        tile->setEnabled(next.tilesEnabled);
    }
    if (m_firstSync || next.resultState != previous.resultState || next.result != previous.result ||
        next.busyTitle != previous.busyTitle) {
        syncResult();
    }
    m_firstSync = false;
}

void ZubPlaygroundView::syncStatus()
{
    for (qsizetype i = 0; i < m_statusPills.size() && i < m_presentation.statusPills.size(); ++i) {
        const auto& pill = m_presentation.statusPills[i];
        QWidget* widget = m_statusPills[i];
        if (auto* symbol = widget->findChild<QLabel*>(QStringLiteral("symbol"));
            symbol != nullptr && symbol->property("symbolName").toString() != pill.symbol) {
            symbol->setPixmap(QuorSymbols::pixmap(pill.symbol, 11, m_accent));
            symbol->setProperty("symbolName", pill.symbol);
        }
        widget->findChild<QLabel*>(QStringLiteral("title"))->setText(pill.title);
        widget->findChild<QLabel*>(QStringLiteral("value"))->setText(pill.value);
    }
    m_previewButton->setText(m_presentation.previewTitle);
    m_previewButton->updateGeometry();
}

void ZubPlaygroundView::syncInput()
{
    const ZubPlaygroundPresentation& p = m_presentation;
    m_inputTitle->setText(p.inputTitle);
    m_editor->setAccessibleName(p.inputTitle);
    m_inputSubtitle->setText(p.inputSubtitle);
    m_detectedBadge->setVisible(p.detectedBadge.has_value());
    m_detectedText->setText(p.detectedBadge.value_or(QString()));
    m_stats->setText(p.statsText);
    for (qsizetype i = 0; i < m_sampleChips.size() && i < p.samples.size(); ++i) {
        m_sampleChips[i]->findChild<QLabel*>(QStringLiteral("text"))->setText(p.samples[i].title);
        m_sampleChips[i]->updateGeometry();
    }
    // The editor's own edit, on its way into the model, is the editor's text already.
    const QString text = m_model.playgroundText();
    if (!m_takingEdit && text != m_editorText) {
        m_editorText = text;
        // Not an edit of the text the model held: the editor's text is read once it is in.
        m_edit.reset();
        m_filledText.reset();
        m_editTangled = true;
        // The editor's own form of it (line ends as the editor keeps them) comes back through
        // textChanged, or filled() for a long text.
        m_editor->showText(text);
    }
    const auto menu = [](QuorMenuPicker* picker, const ZubPlaygroundPresentation::Menu& m) {
        picker->setItems(menuItems(m.items));
        picker->setCurrentIndex(m.currentIndex);
    };
    menu(m_targetMenu, p.targetMenu);
    menu(m_caseMenu, p.caseMenu);
    m_pasteButton->setText(p.pasteTitle);
    m_clearButton->setText(p.clearTitle);
    m_pasteButton->updateGeometry();
    m_clearButton->updateGeometry();
    m_gridTitle->setText(p.gridTitle);
}

void ZubPlaygroundView::syncTiles()
{
    const QList<ZubPlaygroundPresentation::Tile>& wanted = m_presentation.tiles;
    // More of the same list keeps the tiles made so far; any other change makes them afresh.
    const bool grows = wanted.size() > m_builtTiles.size() &&
                       std::equal(m_builtTiles.cbegin(), m_builtTiles.cend(), wanted.cbegin());
    if (!grows) {
        for (QAbstractButton* tile : std::as_const(m_tiles)) {
            delete tile;
        }
        m_tiles.clear();
        m_builtTiles.clear();
    }
    const qsizetype firstNew = m_builtTiles.size();
    for (qsizetype i = firstNew; i < wanted.size(); ++i) {
        const ZubPlaygroundPresentation::Tile& tile = wanted[i];
        auto* button = new ZubStudioButton(10, m_grid);
        button->setObjectName(QStringLiteral("tile:") + tile.action.id.toString(QUuid::WithoutBraces));
        button->setColors(QuorGlassTokens::surface2(), QuorGlassTokens::borderSubtle());
        QHBoxLayout* layout = hbox(button, 6, QMargins(11, 9, 11, 9));
        layout->addWidget(symbolLabel(tile.symbol, 12, tile.accentSymbol ? m_accent : QuorGlassTokens::textPrimary(), button));
        QLabel* title = QuorLabels::makeElided(tile.title, QuorFonts::system(12, QFont::DemiBold),
                                               QuorGlassTokens::textPrimary(), button);
        title->setObjectName(QStringLiteral("text"));
        layout->addWidget(title, 1);
        const ZubActionDefinition action = tile.action;
        connect(button, &QAbstractButton::clicked, this, [this, action] { m_model.runPlaygroundAction(action); });
        button->setEnabled(m_presentation.tilesEnabled);
        m_gridLayout->addWidget(button);
        button->show();
        m_tiles.append(button);
        m_builtTiles.append(tile);
    }
    chainTiles(firstNew);
    if (m_tiles.size() < m_presentation.tileCount) {
        // The grid has not been laid out with the new tiles yet; it is looked at again once it has.
        QMetaObject::invokeMethod(this, &ZubPlaygroundView::loadMoreTiles, Qt::QueuedConnection);
    }
}

void ZubPlaygroundView::chainTiles(qsizetype from)
{
    // A new widget joins the Tab chain at the window's end, after the result card. Each tile goes
    // after the one before it (the first after the input card's last control, polished so that it
    // takes the focus and can be linked to), and the last leads on to what follows the grid.
    QWidget* previous = from > 0 ? m_tiles[from - 1] : m_clearButton;
    previous->ensurePolished();
    for (qsizetype i = from; i < m_tiles.size(); ++i) {
        QWidget::setTabOrder(previous, m_tiles[i]);
        previous = m_tiles[i];
    }
}

void ZubPlaygroundView::loadMoreTiles()
{
    if (m_scroll == nullptr || m_tiles.size() >= m_presentation.tileCount || !m_grid->isVisible()) {
        return;
    }
    // Judged on the height the grid's layout gives the tiles made so far, right before the window
    // has caught up with the last batch.
    const int gridBottom = m_grid->mapTo(m_scroll->widget(), QPoint(0, 0)).y() + m_gridLayout->heightForWidth(m_grid->width());
    const int seen = m_scroll->verticalScrollBar()->value() + m_scroll->viewport()->height();
    if (gridBottom - seen <= kTilesAheadPixels) {
        m_tileLimit += tileBatch;
        sync();
    }
}

QWidget* ZubPlaygroundView::buildBusyRow()
{
    auto* row = new QWidget;
    QHBoxLayout* layout = hbox(row, 10);
    layout->addWidget(new ZubSpinner(m_accent, row));
    QLabel* title = QuorLabels::make(m_presentation.busyTitle, QuorFonts::system(13, QFont::Medium),
                                     QuorGlassTokens::textPrimary(), row);
    title->setObjectName(QStringLiteral("busyTitle"));
    layout->addWidget(title);
    layout->addStretch(1);
    return row;
}

QWidget* ZubPlaygroundView::buildResult(const ZubPlaygroundPresentation::ResultCard& card)
{
    auto* box = new QWidget;
    QVBoxLayout* layout = vbox(box, 12);

    auto* header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(symbolLabel(card.headerSymbol, 13, card.isError ? QuorGlassTokens::warning() : m_accent, box));
    QLabel* title = QuorLabels::make(card.title, QuorFonts::system(14, QFont::Bold), QuorGlassTokens::textPrimary(), box);
    title->setObjectName(QStringLiteral("resultTitle"));
    header->addWidget(title);
    if (card.languageBadge) {
        ZubStudioPlate* badge =
            plateAround(QuorLabels::make(*card.languageBadge, QuorFonts::monospaced(10.5, QFont::Bold), m_accent, box),
                        withAlpha(m_accent, 0.16), -1, QMargins(7, 3, 7, 3), box);
        badge->setObjectName(QStringLiteral("languageBadge"));
        header->addWidget(badge);
    }
    header->addStretch(1);
    header->addWidget(QuorLabels::make(card.duration, QuorFonts::monospaced(11), QuorGlassTokens::textMuted(), box));
    layout->addLayout(header);

    const auto copyButton = [this, box, &card] {
        auto* copy = new QuorStyledButton(card.copyTitle, QStringLiteral("doc.on.doc"), QuorPrimaryButtonStyle{}, box);
        copy->setObjectName(QStringLiteral("copyButton"));
        onCardClick(copy, [this] {
            if (const auto& result = m_model.playgroundResult()) {
                m_model.copyExecutionResult(*result);
            }
        });
        return copy;
    };

    if (card.qrImage) {
        auto* form = new QHBoxLayout;
        form->setSpacing(16);
        auto* frame = new ZubStudioPlate(Qt::white, std::nullopt, 12, box);
        frame->setObjectName(QStringLiteral("qrImage"));
        vbox(frame, 0, QMargins(10, 10, 10, 10))->addWidget(new SharpImage(*card.qrImage, frame));
        form->addWidget(frame, 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(8);
        QLabel* output = QuorLabels::make(card.outputText, QuorFonts::system(13, QFont::DemiBold),
                                          QuorGlassTokens::textPrimary(), box);
        output->setObjectName(QStringLiteral("output"));
        output->setWordWrap(true);
        texts->addWidget(output);
        QLabel* input = QuorLabels::make(card.inputText, QuorFonts::monospaced(11.5), QuorGlassTokens::textSecondary(), box);
        input->setWordWrap(true);
        input->setMaximumHeight(input->fontMetrics().lineSpacing() * 5);
        input->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        texts->addWidget(input);
        texts->addStretch(1);
        auto* buttons = new QHBoxLayout;
        buttons->setSpacing(8);
        buttons->addWidget(copyButton());
        auto* save = new QuorStyledButton(card.saveTitle, QStringLiteral("square.and.arrow.down"),
                                          QuorGlassButtonStyle{false}, box);
        save->setObjectName(QStringLiteral("saveButton"));
        onCardClick(save, [this] {
            if (const auto& result = m_model.playgroundResult(); result && result->qrPNGData) {
                m_model.saveQRCodePNG(*result->qrPNGData);
            }
        });
        buttons->addWidget(save);
        buttons->addStretch(1);
        texts->addLayout(buttons);
        form->addLayout(texts, 1);
        layout->addLayout(form);
        return box;
    }

    ZubStudioPlate* well = textWell(10, box);
    QLabel* output = QuorLabels::make(card.outputText, QuorFonts::system(13.5),
                                      card.isError ? QuorGlassTokens::warning() : QuorGlassTokens::textPrimary(), well);
    output->setObjectName(QStringLiteral("output"));
    output->setWordWrap(true);
    output->setTextInteractionFlags(Qt::TextSelectableByMouse);
    vbox(well, 0, QMargins(12, 12, 12, 12))->addWidget(output);
    layout->addWidget(well);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(copyButton());
    if (card.showsReplace) {
        auto* replace = new QuorStyledButton(card.replaceTitle, QStringLiteral("arrow.up.circle"),
                                             QuorGlassButtonStyle{false}, box);
        replace->setObjectName(QStringLiteral("replaceButton"));
        onCardClick(replace, [this] { replaceInput(); });
        buttons->addWidget(replace);
    }
    auto* speak = new QuorStyledButton(card.speakTitle, card.speakSymbol, QuorGlassButtonStyle{card.speakIsActive}, box);
    speak->setObjectName(QStringLiteral("speakButton"));
    onCardClick(speak, [this] {
        if (const auto& result = m_model.playgroundResult()) {
            m_model.toggleSpeak(*result);
        }
    });
    buttons->addWidget(speak);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    return box;
}

void ZubPlaygroundView::syncResult()
{
    const QPointer<QWidget> old = m_resultCard;
    m_resultCard = nullptr;
    QWidget* content = nullptr;
    switch (m_presentation.resultState) {
    case ZubPlaygroundPresentation::ResultState::hidden: break;
    case ZubPlaygroundPresentation::ResultState::busy: content = buildBusyRow(); break;
    case ZubPlaygroundPresentation::ResultState::qrResult:
    case ZubPlaygroundPresentation::ResultState::textResult: content = buildResult(*m_presentation.result); break;
    }
    if (content != nullptr) {
        m_resultCard = glassCard(content);
        m_resultCard->setObjectName(QStringLiteral("resultCard"));
        // Under the grid card, above the closing stretch.
        m_column->insertWidget(m_column->count() - 1, m_resultCard);
        m_resultCard->show();
    }
    if (old) {
        // The focus stays with the same button of the new card, else goes to the editor, never on
        // to whatever follows in the window.
        if (m_resultCard != nullptr) {
            QuorKeyboardReach::carryFocus(old, m_resultCard, m_editor);
        } else {
            QuorKeyboardReach::handFocus(old, m_editor);
        }
        retireCard(old);
    }
}

void ZubPlaygroundView::retireCard(QWidget* card)
{
    if (m_cardClicks == 0) {
        retireLater(card);
        return;
    }
    // A click of this card is still running (the Save PNG dialog runs inside its click): the card
    // goes out of sight now and is deleted once that click has returned.
    card->hide();
    m_heldCards.append(card);
}

void ZubPlaygroundView::onCardClick(QAbstractButton* button, std::function<void()> effect)
{
    connect(button, &QAbstractButton::clicked, this, [self = QPointer<ZubPlaygroundView>(this), effect] {
        ++self->m_cardClicks;
        effect();
        // The dialog of a click may have outlived the view.
        if (self && --self->m_cardClicks == 0) {
            for (const QPointer<QWidget>& card : std::exchange(self->m_heldCards, {})) {
                retireLater(card);
            }
        }
    });
}

void ZubPlaygroundView::pickSample(int index)
{
    const auto samples = ZubPlaygroundPresentation::sampleTexts(m_model.language());
    if (index >= 0 && index < samples.size()) {
        m_model.setPlaygroundText(samples[index].text);
    }
}

void ZubPlaygroundView::pickTargetLanguage(int index)
{
    m_model.chooseTargetLanguage(index);
}

void ZubPlaygroundView::pickCaseStyle(int index)
{
    const auto& cases = ZubCaseTransformStyles::allCases();
    if (index >= 0 && index < cases.size()) {
        m_model.editConfig([&](ZubConfig& config) { config.preferredCaseStyle = cases[index]; });
    }
}

void ZubPlaygroundView::noteEdit(int position, int removed, int added)
{
    if (m_editTangled) {
        return;
    }
    if (!m_edit) {
        m_edit = EditorEdit{position, removed, added};
        if (m_editor->isFilling()) {
            // With room for the keys that follow: the model takes this very text, and a key that
            // found it full would move megabytes into fresh memory.
            const qsizetype filling = m_editor->fillingCharacters();
            m_filledText.emplace();
            m_filledText->reserve(filling + filling / 8);
            *m_filledText += addedText(*m_edit);
        }
        return;
    }
    // The slices of a paste follow one another, the first one after the selection it replaced.
    EditorEdit& edit = *m_edit;
    if (m_editor->isFilling() && removed == 0 && position == edit.position + edit.added) {
        edit.added += added;
    } else if (m_editor->isFilling() && edit.added == 0 && position == edit.position) {
        edit.removed += removed;
        edit.added = added;
    } else {
        m_edit.reset();
        m_filledText.reset();
        m_editTangled = true;
        return;
    }
    // A paste's text is read out as it goes in, a slice at a time, rather than megabytes at once
    // at its end. (A whole text shown afresh began with an edit before its fill: it is read at
    // its end.)
    if (m_filledText) {
        *m_filledText += addedText(EditorEdit{position, 0, added});
    }
}

std::optional<ZubPlaygroundView::EditorEdit> ZubPlaygroundView::editSinceTaken() const
{
    // Made to the text at hand: reading megabytes out of the editor at every key would take longer
    // than the key may.
    const int characters = m_editor->document()->characterCount() - 1;
    if (!m_edit || m_edit->removed < 0 || m_edit->added < 0 || m_edit->position < 0 ||
        m_edit->position + m_edit->removed > m_editorText.size() || m_edit->position + m_edit->added > characters ||
        m_editorText.size() - m_edit->removed + m_edit->added != characters) {
        return std::nullopt;
    }
    return m_edit;
}

QString ZubPlaygroundView::addedText(const EditorEdit& edit) const
{
    QTextCursor range(m_editor->document());
    range.setPosition(edit.position);
    range.setPosition(edit.position + edit.added, QTextCursor::KeepAnchor);
    QString added = range.selectedText();
    // As QTextDocument::toPlainText() gives them.
    for (QChar& c : added) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xFDD0: // the start and end of a frame
        case 0xFDD1: c = u'\n'; break;
        case QChar::Nbsp: c = u' '; break;
        default: break;
        }
    }
    return added;
}

void ZubPlaygroundView::takeEditorText()
{
    const std::optional<EditorEdit> edit = editSinceTaken();
    std::optional<QString> filled = std::exchange(m_filledText, std::nullopt);
    m_edit.reset();
    m_editTangled = false;
    if (edit && m_model.playgroundText() == m_editorText) {
        const QString added = filled && filled->size() == edit->added ? *std::move(filled) : addedText(*edit);
        // This view lets go of its share of the text first, so that the model changes it where it
        // lies rather than copying megabytes into fresh memory at every key.
        m_editorText = QString();
        {
            const QScopedValueRollback taking(m_takingEdit, true);
            m_model.replacePlaygroundText(edit->position, edit->removed, added);
        }
        m_editorText = m_model.playgroundText();
        return;
    }
    const QString text = m_editor->toPlainText();
    const QString held = m_model.playgroundText();
    if (text == held) {
        m_editorText = held;
    } else {
        m_editorText = text;
        m_model.setPlaygroundText(text);
    }
}

void ZubPlaygroundView::pasteClipboard()
{
    pasteClipboardText(QPointer<ZubPlaygroundView>(this), false);
}

QCoro::Task<> ZubPlaygroundView::pasteClipboardText(QPointer<ZubPlaygroundView> self, bool atCursor)
{
    std::optional<QString> text;
    std::optional<QString> failure;
    try {
        text = co_await quor::platform::Clipboard::shared().text();
    } catch (const QuorError& error) {
        failure = self ? localizedDescription(error, self->m_model.language()) : QString();
    }
    if (!self) {
        co_return;
    }
    if (failure) {
        self->m_model.showToast(*failure, true);
    } else if (text && !text->isEmpty()) {
        if (atCursor) {
            self->m_editor->pasteText(*text);
        } else {
            self->m_model.setPlaygroundText(*text);
        }
    }
}

void ZubPlaygroundView::clear()
{
    m_model.setPlaygroundText(QString());
    m_model.setPlaygroundResult(std::nullopt);
}

void ZubPlaygroundView::replaceInput()
{
    if (const auto& result = m_model.playgroundResult()) {
        m_model.setPlaygroundText(result->outputText);
    }
}
