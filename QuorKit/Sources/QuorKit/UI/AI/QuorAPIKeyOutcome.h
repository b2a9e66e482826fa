#pragma once

#include <QString>

// How an API key operation of the embedding application ended once the keyring answered: the key
// really is stored (or really is gone), or the keyring refused, with the reason in the interface
// language (empty when there is none to give).
struct QuorAPIKeyOutcome {
    bool succeeded = false;
    QString failureText;

    static QuorAPIKeyOutcome done() { return {true, {}}; }
    static QuorAPIKeyOutcome failed(const QString& reason) { return {false, reason}; }

    bool operator==(const QuorAPIKeyOutcome& other) const = default;
};
