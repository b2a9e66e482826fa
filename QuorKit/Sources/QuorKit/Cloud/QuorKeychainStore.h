#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

// Why the system keyring refused to store or remove a secret. `status()` is the keyring library's
// own error code and `detail()` its explanation (never the secret); the descriptions tell the user
// what to do.
class QuorKeychainError : public QuorError {
public:
    enum class Operation { save, remove };

    QuorKeychainError(int status, QString detail, Operation operation = Operation::save);

    int status() const { return m_status; }
    QString detail() const { return m_detail; }

private:
    int m_status;
    QString m_detail;
};

// One short secret text per (service, account) pair, kept as a password item of the desktop's
// keyring through the Secret Service (or KWallet). There is no plain-file fallback: without a
// keyring, saving and removing fail and loading finds nothing. Every call talks to the keyring
// asynchronously, so callers on the GUI thread await it without blocking the interface.
class QuorKeychainStore {
public:
    QuorKeychainStore() = delete;

    // Replaces the pair's item with one holding `secret` as UTF-8 (an empty secret is stored as an
    // empty item). Throws QuorKeychainError when the keyring is missing, locked or refuses.
    static QCoro::Task<> save(QString secret, QString service, QString account);

    // The pair's secret; absent when there is none, when the keyring cannot be reached, or when the
    // stored bytes are not valid UTF-8. Never throws.
    static QCoro::Task<std::optional<QString>> load(QString service, QString account);

    // Removes the pair's item if there is one; an absent item is not an error. Throws
    // QuorKeychainError when the keyring is missing, locked or refuses, since the item may remain.
    static QCoro::Task<> deleteItem(QString service, QString account);
};
