#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <QtGlobal>

#include <memory>
#include <optional>

class QNetworkReply;

// Keeps a network answer's body under a size, so a hostile or broken server cannot fill memory,
// whatever the GUI thread is busy with meanwhile: the network layer holds no more than
// readAheadBytes of a body its reader has not taken yet, and stops reading from the server until
// it has; an answer whose headers announce more than the limit ends before any of its body is read.
// Only bytes counted against the limit make an answer too large, a compressed one as it inflates;
// one the network layer gives up inflating before that (a corrupt or mislabelled body) ends as soon
// as it gives up, counted as unreadable.
class QuorReplySizeLimit {
public:
    QuorReplySizeLimit() = delete;

    // What the network layer may hold of a body ahead of its reader.
    static constexpr qint64 readAheadBytes = 512 * 1024;

    // The body's length as `reply`'s headers announce it, when they do.
    static std::optional<qint64> announcedLength(const QNetworkReply* reply);

    // `request` as it must go out for the bound to hold: over HTTP/1.1, whose connection the network
    // layer stops reading while the reader is behind (over HTTP/2 it keeps granting the server room
    // on its own, however much is waiting), and without the network layer's own check on inflating,
    // which gives up on a body that inflates far beyond its size on the wire before the reader has
    // seen any of it, just as it does on a corrupt one: the limit could not tell them apart.
    static QNetworkRequest prepared(QNetworkRequest request);

    // Why a bounded reply was ended before its end, if it was.
    enum class Refusal {
        none,
        tooLarge,   // more than the limit announced or received; the reply ends with OperationCanceledError
        unreadable, // the network layer gave up inflating the body; the reply ends with UnknownContentError
    };

    // Bounds what the network layer holds of `reply`'s body ahead of its reader (who must then read
    // as the body comes: the reply finishes only once it has been read), and with `limit` aborts the
    // reply as soon as its headers announce a longer body. What is read of the body counts against a
    // limit only in the reader's hands.
    static std::shared_ptr<const Refusal> bound(QNetworkReply* reply, std::optional<qint64> limit);

    // A whole body, gathered as it arrives.
    struct Body {
        QByteArray bytes;
        // True when the body announced or brought more than the limit: the reply was then aborted
        // (it ends with OperationCanceledError; one with an error status may first end on its own
        // within a second, with that status's error) and `bytes` is empty.
        bool exceeded = false;
        // True when the network layer gave up inflating the body before that: the reply ends with
        // UnknownContentError and `bytes` is empty.
        bool unreadable = false;
    };
    // Reads `reply`'s body into Body as it arrives, bounded as bound() does; past `limit` bytes the
    // reply is aborted. Read the body, not the reply, once the reply has finished.
    static std::shared_ptr<const Body> gather(QNetworkReply* reply, qint64 limit);

    // The start of a body, for an answer whose status decides and whose first bytes are all that
    // is read: nothing past the limit is held, whatever the server sends.
    struct Head {
        QByteArray bytes;
        // True when more than `limit` bytes came: the reply was then aborted (it ends with
        // OperationCanceledError; one with an error status may first end on its own within a
        // second, with that status's error) after its status and `bytes` had arrived.
        bool cut = false;
        // True when the network layer gave up inflating the body before that, after `bytes`: the
        // reply ends with UnknownContentError.
        bool unreadable = false;
    };
    // Gathers the first `limit` bytes of `reply`'s body as they arrive, bounded as bound() does,
    // and aborts the reply at the first byte beyond them. Read the head, not the reply, once it has
    // finished.
    static std::shared_ptr<const Head> keepHead(QNetworkReply* reply, qint64 limit);

    // Appends `chunk` to `bytes`, which never needs room for more than `capacity` bytes: its
    // storage grows by doubling but not past that, so the last growth holds no spare half.
    static void append(QByteArray& bytes, const QByteArray& chunk, qint64 capacity);
};
