#include "QuorZubApp/Views/Studio/ZubPlaygroundEditor.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

#include <algorithm>
#include <utility>

namespace {
// How long one turn of the event loop spends inserting, and in what pieces.
constexpr qint64 kSliceBudgetMs = 12;
constexpr qsizetype kPieceCharacters = 32 * 1024;

// Where a piece of `text` from `from` may end: never inside a surrogate pair or a CR LF, which the
// document would read as two characters or two line breaks.
qsizetype pieceEnd(const QString& text, qsizetype from)
{
    qsizetype end = std::min(text.size(), from + kPieceCharacters);
    if (end < text.size() && end > from + 1 &&
        (text[end - 1].isHighSurrogate() || (text[end - 1] == u'\r' && text[end] == u'\n'))) {
        --end;
    }
    return end;
}

bool isHeldInput(QEvent::Type type)
{
    return type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::InputMethod;
}
} // namespace

struct ZubPlaygroundEditor::Fill {
    QTextCursor cursor;
    QString text;
    qsizetype done = 0;
    bool wholeText = false;
};

ZubPlaygroundEditor::ZubPlaygroundEditor(QWidget* parent) : QPlainTextEdit(parent) {}

ZubPlaygroundEditor::~ZubPlaygroundEditor()
{
    qDeleteAll(m_heldInput);
}

void ZubPlaygroundEditor::showText(const QString& text)
{
    cancelFill();
    if (text.size() <= immediateCharacters) {
        setPlainText(text);
        return;
    }
    // As setPlainText() would, with the old text and its undo history gone first. The fill starts
    // before the clear, so that the emptied editor is never taken for the text.
    setUndoRedoEnabled(false);
    m_fill = std::make_unique<Fill>(Fill{QTextCursor(), text, 0, true});
    document()->clear();
    m_fill->cursor = textCursor();
    insertSlices();
}

void ZubPlaygroundEditor::pasteText(const QString& text)
{
    if (isFilling()) {
        // A paste asked for during a long one follows it, like a key.
        const QString follows = text;
        connect(this, &ZubPlaygroundEditor::filled, this, [this, follows] { pasteText(follows); },
                Qt::SingleShotConnection);
        return;
    }
    if (text.size() <= immediateCharacters) {
        textCursor().insertText(text);
        ensureCursorVisible();
        return;
    }
    fill(textCursor(), text, false);
}

qsizetype ZubPlaygroundEditor::fillingCharacters() const
{
    return m_fill ? m_fill->text.size() : 0;
}

void ZubPlaygroundEditor::insertFromMimeData(const QMimeData* source)
{
    // Only the clipboard's content is read the careful way: a drop's content is at hand already.
    if (pastesClipboard && source != nullptr && source == QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard)) {
        pastesClipboard();
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

bool ZubPlaygroundEditor::event(QEvent* event)
{
    if (isFilling() && isHeldInput(event->type())) {
        if (event->type() == QEvent::InputMethod) {
            m_heldInput.append(static_cast<QInputMethodEvent*>(event)->clone());
        } else {
            m_heldInput.append(static_cast<QKeyEvent*>(event)->clone());
        }
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void ZubPlaygroundEditor::fill(QTextCursor at, const QString& text, bool wholeText)
{
    m_fill = std::make_unique<Fill>(Fill{std::move(at), text, 0, wholeText});
    insertSlices();
}

void ZubPlaygroundEditor::insertSlices()
{
    if (!m_fill) {
        return;
    }
    QElapsedTimer spent;
    spent.start();
    Fill& f = *m_fill;
    while (f.done < f.text.size() && (f.done == 0 || spent.elapsed() < kSliceBudgetMs)) {
        const qsizetype end = pieceEnd(f.text, f.done);
        // One step to undo for the whole paste.
        if (f.done == 0) {
            f.cursor.beginEditBlock();
        } else {
            f.cursor.joinPreviousEditBlock();
        }
        f.cursor.insertText(f.text.mid(f.done, end - f.done));
        f.cursor.endEditBlock();
        f.done = end;
    }
    if (f.done < f.text.size()) {
        QMetaObject::invokeMethod(this, &ZubPlaygroundEditor::insertSlices, Qt::QueuedConnection);
        return;
    }
    finishFill();
}

void ZubPlaygroundEditor::finishFill()
{
    const std::unique_ptr<Fill> done = std::move(m_fill);
    if (done->wholeText) {
        setUndoRedoEnabled(true);
        moveCursor(QTextCursor::Start);
    } else {
        setTextCursor(done->cursor);
        ensureCursorVisible();
    }
    emit filled();
    // In the order typed, after the text they followed.
    for (QEvent* held : std::exchange(m_heldInput, {})) {
        QCoreApplication::postEvent(this, held);
    }
}

void ZubPlaygroundEditor::cancelFill()
{
    if (!m_fill) {
        return;
    }
    const bool wholeText = m_fill->wholeText;
    m_fill.reset();
    if (wholeText) {
        setUndoRedoEnabled(true);
    }
    // What was typed meanwhile goes to the text that takes the place of the unfinished one.
    for (QEvent* held : std::exchange(m_heldInput, {})) {
        QCoreApplication::postEvent(this, held);
    }
}
