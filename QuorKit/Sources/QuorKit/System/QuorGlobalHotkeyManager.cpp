#include "QuorKit/System/QuorGlobalHotkeyManager.h"

#include "QuorPlatform/Hotkeys/QuorGlobalKeyGrabber.h"
#include "QuorPlatform/Hotkeys/QuorHotkeyCombination.h"

#include <QMetaObject>

using quor::platform::GlobalKeyGrabber;
using quor::platform::HotkeyCombination;

QuorGlobalHotkeyManager::QuorGlobalHotkeyManager(QObject* parent)
    : QObject(parent), m_grabber(new GlobalKeyGrabber(this))
{
    connect(m_grabber, &GlobalKeyGrabber::activated, this, &QuorGlobalHotkeyManager::handleActivation);
}

QuorGlobalHotkeyManager::~QuorGlobalHotkeyManager()
{
    unregisterAll();
}

std::optional<quint32> QuorGlobalHotkeyManager::registerHotkey(const QuorHotkeyDescriptor& descriptor,
                                                               std::function<void()> action)
{
    const quint32 id = m_nextID++;
    const auto combination = HotkeyCombination::fromVirtualKey(descriptor.keyCode, descriptor.carbonModifiers);
    if (!combination || !m_grabber->grab(*combination)) {
        return std::nullopt;
    }
    m_hotKeyRefs[id] = descriptor;
    m_handlers[id] = std::move(action);
    return id;
}

void QuorGlobalHotkeyManager::unregister(quint32 id)
{
    const auto found = m_hotKeyRefs.find(id);
    if (found != m_hotKeyRefs.end()) {
        if (const auto combination =
                HotkeyCombination::fromVirtualKey(found->second.keyCode, found->second.carbonModifiers)) {
            m_grabber->ungrab(*combination);
        }
        m_hotKeyRefs.erase(found);
    }
    m_handlers.erase(id);
}

void QuorGlobalHotkeyManager::unregisterAll()
{
    m_grabber->ungrabAll();
    m_hotKeyRefs.clear();
    m_handlers.clear();
}

void QuorGlobalHotkeyManager::handleActivation(const HotkeyCombination& combination)
{
    for (const auto& [id, descriptor] : m_hotKeyRefs) {
        if (HotkeyCombination::fromVirtualKey(descriptor.keyCode, descriptor.carbonModifiers) != combination) {
            continue;
        }
        // The action runs after the key event is done with; one removed meanwhile is skipped.
        const quint32 pressedID = id;
        QMetaObject::invokeMethod(
            this,
            [this, pressedID] {
                const auto handler = m_handlers.find(pressedID);
                if (handler != m_handlers.end() && handler->second) {
                    const std::function<void()> action = handler->second;
                    action();
                }
            },
            Qt::QueuedConnection);
        return;
    }
}
