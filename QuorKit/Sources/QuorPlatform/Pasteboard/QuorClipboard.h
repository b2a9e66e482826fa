#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>

namespace quor::platform {

class ServedMimeData;

// The general pasteboard: the CLIPBOARD selection, written through QClipboard. Another client's
// clipboard is read on a worker thread (one format at a time can take its owner long), our own
// content from memory. Used on the GUI thread.
class Clipboard : public QObject {
    Q_OBJECT
public:
    using Entry = std::pair<QString, QByteArray>;

    struct Content {
        QList<Entry> entries;
        // False when the owner did not give everything within the bound of one read.
        bool complete = true;
    };

    // The largest clipboard text the application works on.
    static constexpr qsizetype maximumTextBytes = 16 * 1024 * 1024;
    // The bound of one whole read of every format.
    static constexpr std::chrono::milliseconds contentReadLimit{3000};
    static constexpr qsizetype maximumContentBytes = 256 * 1024 * 1024;

    // The process's one instance; the change count starts at its creation.
    static Clipboard& shared();

    // True when the clipboard's content is at hand in this process, without asking another client:
    // our own content, or any clipboard off X11.
    static bool readsLocally();

    // Grows by one with every change of the clipboard's content, by this process or another.
    qint64 changeCount() const { return m_changeCount; }

    // Every format on offer with its bytes, in the order offered, empty ones included. Empty when
    // the clipboard is empty.
    QCoro::Task<Content> content() const;
    // The plain text on offer, if any. Throws SelectionTooLargeError beyond maximumTextBytes.
    QCoro::Task<std::optional<QString>> text() const;

    // Lets the toolkit learn the display server's current time, which stamps our next claim.
    // Restoring content right after another client claimed the clipboard needs it: a claim stamped
    // no later than that client's would be ignored by it, and it would keep offering a stale list
    // of formats. Finishes once the toolkit has seen the time, or after a short bound.
    QCoro::Task<> learnServerTime();

    // Gives the clipboard up: afterwards it is empty.
    void clear();
    // Offers exactly these formats and bytes.
    void write(const QList<Entry>& entries);
    // Offers `text` as plain text through content that reports served requests. The pointer turns
    // null when the content is replaced.
    QPointer<ServedMimeData> writeTrackedText(const QString& text);

    // The X clients (by the base of their resource ids) that asked for data of the latest content
    // this process put on the clipboard, from its claim until now or until another program took
    // the clipboard over. Asking for the list of formats does not count.
    QSet<unsigned long> readersOfLatestOwnContent() const { return m_ownContentReaders; }
    // While the toolkit serves a request for our content: the window the asking client named, which
    // names the client. 0 outside one, and for this process reading its own content.
    unsigned long requestorBeingServed() const;

signals:
    void changed();

private:
    class RequestLog;

    Clipboard();
    ~Clipboard() override;

    qint64 m_changeCount = 0;
    QSet<unsigned long> m_ownContentReaders;
    std::unique_ptr<RequestLog> m_requestLog;
};

} // namespace quor::platform
