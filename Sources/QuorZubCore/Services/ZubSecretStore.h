#pragma once

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

// One short secret per (service, account) pair in the user's system keyring. The keyring may be
// slow or ask the user to unlock it, so every operation is awaited rather than blocking the caller.
class ZubSecretStore {
public:
    virtual ~ZubSecretStore() = default;

    // Replaces the pair's secret; throws a QuorError when the keyring refuses.
    virtual QCoro::Task<> save(QString secret, QString service, QString account) = 0;
    // The pair's secret; nothing when there is none or the keyring cannot be read.
    virtual QCoro::Task<std::optional<QString>> load(QString service, QString account) = 0;
    // Removes the pair's secret if there is one; never fails.
    virtual QCoro::Task<> remove(QString service, QString account) = 0;
};
