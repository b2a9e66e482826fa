#pragma once

#include <QString>

// The outcome of one device-code poll. Only `approved` carries a token.
struct QuorDevicePollResult {
    enum class Kind { approved, pending, slowDown, denied, expired };

    Kind kind = Kind::pending;
    QString token;

    static QuorDevicePollResult approved(const QString& token) { return {Kind::approved, token}; }
    static QuorDevicePollResult pending() { return {Kind::pending, {}}; }
    static QuorDevicePollResult slowDown() { return {Kind::slowDown, {}}; }
    static QuorDevicePollResult denied() { return {Kind::denied, {}}; }
    static QuorDevicePollResult expired() { return {Kind::expired, {}}; }

    bool operator==(const QuorDevicePollResult& other) const = default;
};
