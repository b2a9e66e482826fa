#pragma once

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
};
