#pragma once

#include "QuorZubApp/Views/Studio/ZubPlaygroundPresentation.h"
#include "QuorZubApp/ViewModels/ZubStudioModel.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;
class QPlainTextEdit;
class QScrollArea;
class QVBoxLayout;
class QuorGlassCard;
class QuorMenuPicker;
class QuorAdaptiveGridLayout;
class ZubPlaygroundEditor;
class ZubStudioPlate;

// The playground tab: type or pick a sample, see its live figures, run any enabled action on it and
// act on the result. Text and result live in the model; this view keeps nothing of its own.
class ZubPlaygroundView : public QWidget {
    Q_OBJECT
public:
    // Tiles are made a batch at a time, as the end of the grid comes into sight.
    static constexpr qsizetype tileBatch = 60;

    ZubPlaygroundView(ZubStudioModel& model, const QColor& accent, QWidget* parent = nullptr);

    const ZubPlaygroundPresentation& presentation() const { return m_presentation; }

    // The controls' effects, as their clicks run them.
    void pickSample(int index);
    void pickTargetLanguage(int index);
    void pickCaseStyle(int index);
    // Reads the clipboard without waiting on its owner; the text arrives when the owner answers.
    void pasteClipboard();
    void clear();
    void replaceInput();

private:
    // With `atCursor`, the text goes in at the editor's cursor (Ctrl+V); else it replaces the text.
    static QCoro::Task<> pasteClipboardText(QPointer<ZubPlaygroundView> self, bool atCursor);
    struct EditorEdit;
    // Hands the editor's text to the model after what it changed since it was last taken.
    void takeEditorText();
    // The one stretch the editor changed since its text was last taken (a key, or the slices of a
    // paste), when it fits that text.
    std::optional<EditorEdit> editSinceTaken() const;
    void noteEdit(int position, int removed, int added);
    QString addedText(const EditorEdit& edit) const;
    QWidget* buildStatusStrip();
    QWidget* buildInputCard();
    QWidget* buildGridCard();
    void sync();
    void syncStatus();
    void syncInput();
    void syncTiles();
    // Links the tiles from `from` on into the Tab chain, in the grid's order.
    void chainTiles(qsizetype from);
    void loadMoreTiles();
    void syncResult();
    QWidget* buildBusyRow();
    QWidget* buildResult(const ZubPlaygroundPresentation::ResultCard& card);
    // A result card's button runs `effect`; a card replaced meanwhile goes once the click returns.
    void onCardClick(QAbstractButton* button, std::function<void()> effect);
    void retireCard(QWidget* card);

    ZubStudioModel& m_model;
    QColor m_accent;
    ZubPlaygroundFigures* m_figures = nullptr;
    ZubPlaygroundPresentation m_presentation;
    bool m_firstSync = true;
    // The text the editor holds, as last given to it or taken from it: compared with the model's
    // by identity, so a sync never reads a long text out of the editor again.
    QString m_editorText;
    // What the editor changed since its text was last taken, while that is one stretch; else
    // m_editTangled.
    struct EditorEdit {
        int position = 0;
        int removed = 0;
        int added = 0;
    };
    std::optional<EditorEdit> m_edit;
    bool m_editTangled = false;
    // What a paste going in has added so far, in the editor's form.
    std::optional<QString> m_filledText;
    // True while an edit of the editor's goes into the model.
    bool m_takingEdit = false;

    QList<QWidget*> m_statusPills;
    QAbstractButton* m_previewButton = nullptr;
    QLabel* m_inputTitle = nullptr;
    QLabel* m_inputSubtitle = nullptr;
    ZubStudioPlate* m_detectedBadge = nullptr;
    QLabel* m_detectedText = nullptr;
    QLabel* m_stats = nullptr;
    QList<QAbstractButton*> m_sampleChips;
    ZubPlaygroundEditor* m_editor = nullptr;
    QuorMenuPicker* m_targetMenu = nullptr;
    QuorMenuPicker* m_caseMenu = nullptr;
    QAbstractButton* m_pasteButton = nullptr;
    QAbstractButton* m_clearButton = nullptr;
    QLabel* m_gridTitle = nullptr;
    QWidget* m_grid = nullptr;
    QuorAdaptiveGridLayout* m_gridLayout = nullptr;
    QList<QAbstractButton*> m_tiles;
    QList<ZubPlaygroundPresentation::Tile> m_builtTiles;
    qsizetype m_tileLimit = tileBatch;
    // The tiles' part of the presentation and what it was made from: most changes of the model (a
    // run, a result, speech) leave it as it was, and making it again means sorting every action.
    ZubPlaygroundPresentation::TileList m_tileList;
    std::optional<QList<ZubActionDefinition>> m_tilesFromActions;
    std::optional<QuorLanguage> m_tilesForLanguage;
    qsizetype m_tilesForLimit = 0;
    QScrollArea* m_scroll = nullptr;
    QVBoxLayout* m_column = nullptr;
    QuorGlassCard* m_resultCard = nullptr;
    // Clicks of result cards in progress, and the cards replaced during them.
    int m_cardClicks = 0;
    QList<QPointer<QWidget>> m_heldCards;
};
