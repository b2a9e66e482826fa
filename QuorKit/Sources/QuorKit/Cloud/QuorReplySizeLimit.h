#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

class QNetworkReply;

// Keeps a network answer's body under a size, so a hostile or broken server cannot fill memory.
class QuorReplySizeLimit {
public:
    QuorReplySizeLimit() = delete;

    // Aborts `reply` as soon as its announced or received body passes `limit` bytes. The flag reads
    // true afterwards when that happened (the reply then ends with OperationCanceledError).
    static std::shared_ptr<const bool> watch(QNetworkReply* reply, qint64 limit);

    // The start of a body, for an answer whose status decides and whose first bytes are all that
    // is read: nothing past the limit is held, whatever the server sends.
    struct Head {
        QByteArray bytes;
        // True when more than `limit` bytes came: the reply was then aborted (it ends with
        // OperationCanceledError) after its status and `bytes` had arrived.
        bool cut = false;
    };
    // Gathers the first `limit` bytes of `reply`'s body as they arrive and aborts the reply at the
    // first byte beyond them. Read the head, not the reply, once it has finished.
    static std::shared_ptr<const Head> keepHead(QNetworkReply* reply, qint64 limit);
};
