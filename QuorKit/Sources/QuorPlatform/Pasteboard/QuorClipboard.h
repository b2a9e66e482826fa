#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>
#include <utility>

namespace quor::platform {

class ServedMimeData;

// The general pasteboard: the CLIPBOARD selection through QClipboard. Used on the GUI thread.
class Clipboard : public QObject {
    Q_OBJECT
public:
    using Entry = std::pair<QString, QByteArray>;

    // The process's one instance; the change count starts at its creation.
    static Clipboard& shared();

    // Grows by one with every change of the clipboard's content, by this process or another.
    qint64 changeCount() const { return m_changeCount; }

    // Every format on offer with its bytes, in the order offered; formats that yield no bytes are
    // left out. Empty when the clipboard is empty.
    QList<Entry> entries() const;
    // The plain text on offer, if any.
    std::optional<QString> string() const;

    // Gives the clipboard up: afterwards it is empty.
    void clear();
    // Offers exactly these formats and bytes.
    void write(const QList<Entry>& entries);
    // Offers `text` as plain text through content that reports served requests. The pointer turns
    // null when the content is replaced.
    QPointer<ServedMimeData> writeTrackedText(const QString& text);

signals:
    void changed();

private:
    Clipboard();

    qint64 m_changeCount = 0;
};

} // namespace quor::platform
