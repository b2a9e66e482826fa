#pragma once

#include <QJsonObject>
#include <QtGlobal>

// One system-wide key combination, stored the way the suite has always stored it: a virtual key
// code of the ANSI layout (0 is A, 31 is O) and modifier bits (Command 256, Shift 512, Option
// 2048, Control 4096). On this platform Command means Ctrl and Option means Alt.
struct QuorHotkeyDescriptor {
    quint32 keyCode = 0;
    quint32 carbonModifiers = 0;

    static constexpr quint32 cmdShiftFlag = 768;
    static constexpr quint32 cmdOptionFlag = 2304;

    bool operator==(const QuorHotkeyDescriptor& other) const = default;

    // {"keyCode": n, "carbonModifiers": n}; both required, both unsigned 32-bit. Throws
    // QuorDecodingError.
    static QuorHotkeyDescriptor fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
};

size_t qHash(const QuorHotkeyDescriptor& descriptor, size_t seed = 0) noexcept;
