#pragma once

#include "QuorKit/Cloud/QuorKeychainStore.h"
#include "QuorZubCore/Services/ZubSecretStore.h"

// The desktop keyring behind the actions' secret interface.
class ZubKeychainSecretStore : public ZubSecretStore {
public:
    QCoro::Task<> save(QString secret, QString service, QString account) override
    {
        return QuorKeychainStore::save(std::move(secret), std::move(service), std::move(account));
    }
    QCoro::Task<std::optional<QString>> load(QString service, QString account) override
    {
        return QuorKeychainStore::load(std::move(service), std::move(account));
    }
    QCoro::Task<> remove(QString service, QString account) override
    {
        return QuorKeychainStore::deleteItem(std::move(service), std::move(account));
    }
};
