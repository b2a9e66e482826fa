#include "Support/QuorTestSupport.h"

#include "QuorKit/System/QuorHotkeyDescriptor.h"
#include "QuorKit/System/QuorLaunchAtLogin.h"
#include "QuorKit/System/QuorSystemPermissionKind.h"
#include "QuorKit/Utilities/QuorJson.h"
#include "QuorKit/Utilities/QuorPaths.h"
#include "QuorPlatform/Hotkeys/QuorHotkeyCombination.h"
#include "QuorPlatform/KeySynth/QuorEditingChords.h"
#include "QuorPlatform/LoginItem/QuorAutostartEntry.h"
#include "QuorPlatform/MouseMonitor/QuorClickCounter.h"
#include "QuorPlatform/Workspace/QuorDesktopEntry.h"

#include <QFile>
#include <QtTest>

#include <X11/X.h>
#include <X11/keysym.h>

using namespace quor::platform;

class DesktopIntegrationRulesTest : public QObject {
    Q_OBJECT

private slots:
    void clickCounterCountsSeriesWithinIntervalAndRadius()
    {
        ClickCounter counter(400, 5.0);
        QCOMPARE(counter.press(1, 1000, {10, 10}), 1);
        QCOMPARE(counter.press(1, 1300, {13, 14}), 2);
        QCOMPARE(counter.press(1, 1650, {13, 14}), 3);
        // Too late, too far, or another button: a new series.
        QCOMPARE(counter.press(1, 2100, {13, 14}), 1);
        QCOMPARE(counter.press(1, 2200, {20, 14}), 1);
        QCOMPARE(counter.press(3, 2300, {20, 14}), 1);
        QCOMPARE(counter.press(1, 2400, {20, 14}), 1);
    }

    // What a window is decides the chord; its class name is only a hint.
    void copyAndPasteChordsFollowWhatTheWindowIs()
    {
        const std::optional<KeyChord> controlC = KeyChord{{XK_Control_L}, XK_c};
        const std::optional<KeyChord> shiftC = KeyChord{{XK_Control_L, XK_Shift_L}, XK_c};
        const std::optional<KeyChord> none;
        const std::optional<bool> unknown;
        struct Case {
            QStringList windowClass;
            std::optional<bool> pty;
            std::optional<bool> desktopTerminal;
            std::optional<KeyChord> copy;
        };
        const QList<Case> cases{
            {{QStringLiteral("kate"), QStringLiteral("kate")}, false, false, controlC},
            {{}, unknown, unknown, controlC},
            {{QStringLiteral("gnome-terminal-server"), QStringLiteral("Gnome-terminal")}, true, unknown, shiftC},
            {{QStringLiteral("kitty")}, unknown, unknown, shiftC},
            {{QStringLiteral("org.gnome.Ptyxis"), QStringLiteral("ptyxis")}, true, true, shiftC},
            {{QStringLiteral("io.elementary.terminal")}, unknown, true, shiftC},
            // These hand Ctrl+Shift+C to the shell as an interrupt: no chord at all.
            {{QStringLiteral("xterm"), QStringLiteral("XTerm")}, true, unknown, none},
            {{QStringLiteral("urxvt"), QStringLiteral("URxvt")}, unknown, unknown, none},
            // Ctrl+C is a prefix key in one, Ctrl+V a block mode in the other.
            {{QStringLiteral("emacs"), QStringLiteral("Emacs")}, false, false, none},
            {{QStringLiteral("gvim"), QStringLiteral("Gvim")}, false, unknown, none},
            // A terminal no list names, by its pseudo-terminal or its desktop entry: keys unknown.
            {{QStringLiteral("quorptyhost"), QStringLiteral("QuorPtyHost")}, true, unknown, none},
            {{QStringLiteral("newterm")}, unknown, true, none},
            // Named like a terminal but, by what it is, no terminal: the signals disagree.
            {{QStringLiteral("foot")}, false, unknown, none},
            // The stricter answer wins when instance and class disagree.
            {{QStringLiteral("xterm"), QStringLiteral("Alacritty")}, true, unknown, none},
        };
        for (const Case& test : cases) {
            const EditingChords::WindowTraits traits{test.windowClass, test.pty, test.desktopTerminal};
            const EditingChords::Choice copy = EditingChords::choose(EditingCommand::copy, traits);
            QVERIFY2(copy.chord == test.copy, qPrintable(test.windowClass.join(QLatin1Char('/'))));
            // Every refusal says why; paste follows copy.
            QCOMPARE(copy.reason.isEmpty(), copy.chord.has_value());
            const std::optional<KeyChord> paste = EditingChords::choose(EditingCommand::paste, traits).chord;
            QCOMPARE(paste.has_value(), copy.chord.has_value());
            if (paste) {
                QCOMPARE(paste->modifiers, copy.chord->modifiers);
                QCOMPARE(paste->key, static_cast<unsigned long>(XK_v));
            }
        }
        QCOMPARE(DesktopEntry::categories("[Desktop Entry]\nName=T\nCategories=System;TerminalEmulator;\n"
                                          "[Desktop Action new]\nCategories=Other;\n"),
                 (QStringList{QStringLiteral("System"), QStringLiteral("TerminalEmulator")}));
    }

    void hotkeyDescriptorsMapToXCombinations()
    {
        QCOMPARE(HotkeyCombination::fromVirtualKey(0, QuorHotkeyDescriptor::cmdOptionFlag),
                 (HotkeyCombination{XK_a, ControlMask | Mod1Mask}));
        QCOMPARE(HotkeyCombination::fromVirtualKey(31, QuorHotkeyDescriptor::cmdOptionFlag | 512),
                 (HotkeyCombination{XK_o, ControlMask | Mod1Mask | ShiftMask}));
        QCOMPARE(HotkeyCombination::fromVirtualKey(8, QuorHotkeyDescriptor::cmdShiftFlag | 4096),
                 (HotkeyCombination{XK_c, ControlMask | ShiftMask | Mod4Mask}));
        QCOMPARE(HotkeyCombination::fromVirtualKey(10, 256), std::optional<HotkeyCombination>());
        QCOMPARE(HotkeyCombination::fromVirtualKey(500, 256), std::optional<HotkeyCombination>());
    }

    void hotkeyDescriptorCoding()
    {
        const QuorHotkeyDescriptor descriptor = QuorHotkeyDescriptor::fromJson(
            QuorJson::parseObject(R"({"keyCode": 0, "carbonModifiers": 2304})"));
        QCOMPARE(descriptor, (QuorHotkeyDescriptor{0, QuorHotkeyDescriptor::cmdOptionFlag}));
        QCOMPARE(QuorHotkeyDescriptor::fromJson(descriptor.toJson()), descriptor);
        QCOMPARE(descriptor.toJson().keys(), (QStringList{QStringLiteral("carbonModifiers"), QStringLiteral("keyCode")}));
        QVERIFY(descriptor != (QuorHotkeyDescriptor{31, 2304}));
        QVERIFY(qHash(descriptor) != qHash(QuorHotkeyDescriptor{2304, 0}));
        for (const char* bad : {R"({"keyCode": 0})", R"({"keyCode": -1, "carbonModifiers": 0})",
                                R"({"keyCode": 4294967296, "carbonModifiers": 0})",
                                R"({"keyCode": "0", "carbonModifiers": 0})"}) {
            QVERIFY_THROWS_EXCEPTION(QuorDecodingError, QuorHotkeyDescriptor::fromJson(QuorJson::parseObject(bad)));
        }
    }

    void permissionKinds()
    {
        QCOMPARE(QuorSystemPermissions::allCases().size(), 3);
        for (const QuorSystemPermissionKind kind : QuorSystemPermissions::allCases()) {
            QCOMPARE(QuorSystemPermissions::fromRawValue(QuorSystemPermissions::rawValue(kind)), kind);
            // No settings page exists on this desktop to send the user to.
            QCOMPARE(QuorSystemPermissions::settingsURL(kind), std::optional<QUrl>());
        }
        QCOMPARE(QuorSystemPermissions::rawValue(QuorSystemPermissionKind::screenRecording), QStringLiteral("screenRecording"));
        QCOMPARE(QuorSystemPermissions::fromRawValue(QStringLiteral("Accessibility")), std::nullopt);
    }

    void execArgumentsAreQuotedAsDesktopEntriesRequire()
    {
        QCOMPARE(AutostartEntry::quoteExecArgument(QStringLiteral("/usr/bin/quorzub")), QStringLiteral("/usr/bin/quorzub"));
        QCOMPARE(AutostartEntry::quoteExecArgument(QStringLiteral("/opt/My Apps/quorzub")),
                 QStringLiteral("\"/opt/My Apps/quorzub\""));
        // "$" and "\" are escaped for the quoting and then once more as string escapes.
        QCOMPARE(AutostartEntry::quoteExecArgument(QStringLiteral("/opt/a$b\\c")), QStringLiteral("\"/opt/a\\\\$b\\\\\\\\c\""));
        QCOMPARE(AutostartEntry::quoteExecArgument(QStringLiteral("/opt/100%/q")), QStringLiteral("/opt/100%%/q"));
    }

    void autostartEntryActivity()
    {
        const QByteArray written = AutostartEntry::contents(QStringLiteral("QuorZub"), QStringLiteral("/usr/bin/quorzub"),
                                                            QStringLiteral("com.tallowmer.quorzub"));
        QVERIFY(written.contains("\nExec=/usr/bin/quorzub\n"));
        QVERIFY(AutostartEntry::isActive(written));
        QVERIFY(!AutostartEntry::isActive(written + "Hidden=true\n"));
        QVERIFY(!AutostartEntry::isActive("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n"));
        // A key of another group does not count, nor does a file without the main group.
        QVERIFY(AutostartEntry::isActive("[Desktop Entry]\nExec=x\n[Desktop Action New]\nHidden=true\n"));
        QVERIFY(!AutostartEntry::isActive("garbage\n"));
    }

    void launchAtLoginTogglesTheAutostartEntry()
    {
        const QString path = QuorPaths::configDirectory() + QStringLiteral("/autostart/com.tallowmer.quorzub.desktop");
        QVERIFY(path.startsWith(quorTestSandboxPath()));
        QVERIFY(!QuorLaunchAtLogin::isEnabled());
        // Nothing registered: unregistering fails and changes nothing.
        QVERIFY(!QuorLaunchAtLogin::setEnabled(false));
        QVERIFY(!QuorLaunchAtLogin::isEnabled());

        QVERIFY(QuorLaunchAtLogin::setEnabled(true));
        QVERIFY(QuorLaunchAtLogin::isEnabled());
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray contents = entry.readAll();
        entry.close();
        QVERIFY(contents.contains("Exec=" + AutostartEntry::quoteExecArgument(QCoreApplication::applicationFilePath()).toUtf8()));
        QVERIFY(QuorLaunchAtLogin::setEnabled(true));

        QVERIFY(QuorLaunchAtLogin::setEnabled(false));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!QuorLaunchAtLogin::isEnabled());

        // Switched off by the session's settings: registered, but not enabled.
        QVERIFY(QuorLaunchAtLogin::setEnabled(true));
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden=true\n");
        entry.close();
        QVERIFY(!QuorLaunchAtLogin::isEnabled());
        QVERIFY(QuorLaunchAtLogin::setEnabled(true));
        QVERIFY(QuorLaunchAtLogin::isEnabled());
        QVERIFY(QuorLaunchAtLogin::setEnabled(false));
    }
};

QUOR_TEST_GUILESS_MAIN(DesktopIntegrationRulesTest)
#include "tst_desktopintegrationrules.moc"
