#include "Support/QuorTestSupport.h"

#include "QuorKit/System/QuorGlobalHotkeyManager.h"
#include "QuorPlatform/KeySynth/QuorKeySynthesizer.h"

#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <QtTest>

namespace {
constexpr QuorHotkeyDescriptor controlAltA{0, QuorHotkeyDescriptor::cmdOptionFlag};
constexpr QuorHotkeyDescriptor controlAltShiftO{31, QuorHotkeyDescriptor::cmdOptionFlag | 512};

// Real key presses from outside the process.
void press(const QString& combination)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), combination}), 0);
}
} // namespace

class GlobalHotkeysTest : public QObject {
    Q_OBJECT

private slots:
    void pressRunsTheActionOnceAfterTheGrabEnded()
    {
        QuorGlobalHotkeyManager manager;
        int fired = 0;
        bool keyboardFreeInAction = false;
        bool onGuiThread = false;
        QCOMPARE(manager.registerHotkey(controlAltA,
                                        [&] {
                                            ++fired;
                                            onGuiThread = QThread::currentThread() == qApp->thread();
                                            // Keys the action synthesizes must reach the focused
                                            // window, not come back through our grab.
                                            keyboardFreeInAction =
                                                !quor::platform::KeySynthesizer::isKeyboardGrabbedElsewhere();
                                        }),
                 std::optional<quint32>(1));
        press(QStringLiteral("ctrl+alt+a"));
        QUOR_TRY_COMPARE(fired, 1);
        QVERIFY(onGuiThread);
        QVERIFY(keyboardFreeInAction);
        // Other modifiers make another combination.
        press(QStringLiteral("ctrl+alt+shift+a"));
        press(QStringLiteral("ctrl+a"));
        quorSpin(std::chrono::milliseconds(300));
        QCOMPARE(fired, 1);
    }

    void firesWhateverTheLockKeys()
    {
        QuorGlobalHotkeyManager manager;
        int fired = 0;
        QVERIFY(manager.registerHotkey(controlAltA, [&] { ++fired; }));
        press(QStringLiteral("Num_Lock"));
        press(QStringLiteral("ctrl+alt+a"));
        press(QStringLiteral("Num_Lock"));
        QUOR_TRY_COMPARE(fired, 1);
    }

    void secondRegistrationOfACombinationIsRefused()
    {
        QuorGlobalHotkeyManager first;
        int firstFired = 0;
        QCOMPARE(first.registerHotkey(controlAltA, [&] { ++firstFired; }), std::optional<quint32>(1));
        // Within one manager, and from another client (a second manager has its own connection).
        QCOMPARE(first.registerHotkey(controlAltA, [] {}), std::nullopt);
        {
            QuorGlobalHotkeyManager other;
            QCOMPARE(other.registerHotkey(controlAltA, [] { QFAIL("the refused registration fired"); }), std::nullopt);
            QCOMPARE(other.registerHotkey(controlAltShiftO, [] {}), std::optional<quint32>(2));
        }
        // The refused identifiers stay consumed.
        QCOMPARE(first.registerHotkey(controlAltShiftO, [] {}), std::optional<quint32>(3));
        // The refusal took nothing away from the holder.
        press(QStringLiteral("ctrl+alt+a"));
        QUOR_TRY_COMPARE(firstFired, 1);
    }

    void unregisteringStopsActionsAndNumberingContinues()
    {
        QuorGlobalHotkeyManager manager;
        int fired = 0;
        const auto id = manager.registerHotkey(controlAltA, [&] { ++fired; });
        QCOMPARE(id, std::optional<quint32>(1));
        manager.unregister(77);
        manager.unregister(*id);
        press(QStringLiteral("ctrl+alt+a"));
        quorSpin(std::chrono::milliseconds(300));
        QCOMPARE(fired, 0);

        QCOMPARE(manager.registerHotkey(controlAltA, [&] { ++fired; }), std::optional<quint32>(2));
        manager.unregisterAll();
        QCOMPARE(manager.registerHotkey(controlAltShiftO, [&] { fired += 10; }), std::optional<quint32>(3));
        press(QStringLiteral("ctrl+alt+a"));
        press(QStringLiteral("ctrl+alt+shift+o"));
        QUOR_TRY_COMPARE(fired, 10);
    }

    void releasedCombinationsCanBeTakenByOthers()
    {
        {
            QuorGlobalHotkeyManager holder;
            QVERIFY(holder.registerHotkey(controlAltA, [] {}));
        }
        QuorGlobalHotkeyManager next;
        QVERIFY(next.registerHotkey(controlAltA, [] {}));
    }
};

QUOR_TEST_GUI_MAIN(GlobalHotkeysTest)
#include "tst_globalhotkeys.moc"
