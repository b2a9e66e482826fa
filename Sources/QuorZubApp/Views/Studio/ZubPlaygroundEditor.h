#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>

#include <functional>
#include <memory>

class QEvent;
class QMimeData;

// The playground's editor. A long text (megabytes pasted, or set from elsewhere) goes in a slice at
// a time, and the window answers input between the slices; keys typed meanwhile wait and land once
// the text is in, where they would after an instant paste. The clipboard's own paste (Ctrl+V, the
// context menu) is handed to `pastesClipboard`, which reads it without waiting on its owner.
class ZubPlaygroundEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    // Texts up to this length (in code units) go in at once.
    static constexpr qsizetype immediateCharacters = 64 * 1024;

    explicit ZubPlaygroundEditor(QWidget* parent = nullptr);
    ~ZubPlaygroundEditor() override;

    // Reads the clipboard and hands its text to pasteText(); unset, the toolkit's own paste runs.
    std::function<void()> pastesClipboard;

    // The whole text, as setPlainText() gives it (the undo history starts afresh).
    void showText(const QString& text);
    // `text` in place of the selection, at the cursor, as one step to undo.
    void pasteText(const QString& text);
    // True while a long text is going in: textChanged() then comes for each slice, filled() at the end.
    bool isFilling() const { return m_fill != nullptr; }
    // How long the text going in is, in code units (0 when none is).
    qsizetype fillingCharacters() const;

signals:
    void filled();

protected:
    void insertFromMimeData(const QMimeData* source) override;
    bool event(QEvent* event) override;

private:
    struct Fill;

    void fill(QTextCursor at, const QString& text, bool wholeText);
    void insertSlices();
    void finishFill();
    void cancelFill();

    std::unique_ptr<Fill> m_fill;
    // Input that came while a long text was going in, to be delivered after it.
    QList<QEvent*> m_heldInput;
};
