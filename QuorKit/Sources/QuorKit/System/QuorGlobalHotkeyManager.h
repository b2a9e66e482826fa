#pragma once

#include "QuorKit/System/QuorHotkeyDescriptor.h"

#include <QObject>

#include <functional>
#include <map>
#include <optional>

namespace quor::platform {
class GlobalKeyGrabber;
struct HotkeyCombination;
} // namespace quor::platform

// System-wide hot keys that work while another application is in front. Each registration gets
// a number (from 1, never reused, consumed also by a refused registration); its action runs on
// the GUI thread, queued after the key event was handled. Lives on the GUI thread.
class QuorGlobalHotkeyManager : public QObject {
    Q_OBJECT
public:
    explicit QuorGlobalHotkeyManager(QObject* parent = nullptr);
    // Gives up every combination this manager holds.
    ~QuorGlobalHotkeyManager() override;

    // ("register" is a keyword in C++.) Nothing when the combination cannot be had: no display, a
    // key code without a key, this manager or another program already holds it.
    std::optional<quint32> registerHotkey(const QuorHotkeyDescriptor& descriptor, std::function<void()> action);
    // Identifiers that are not registered are ignored.
    void unregister(quint32 id);
    // The numbering continues afterwards.
    void unregisterAll();

private:
    void handleActivation(const quor::platform::HotkeyCombination& combination);

    quint32 m_nextID = 1;
    std::map<quint32, QuorHotkeyDescriptor> m_hotKeyRefs;
    std::map<quint32, std::function<void()>> m_handlers;
    quor::platform::GlobalKeyGrabber* m_grabber;
};
