#include "QuorZubApp/App/ZubDesktopNotifier.h"

#include "Support/QuorTestSupport.h"

#include <QtTest>

class TestZubDesktopNotifier : public QObject {
    Q_OBJECT
private slots:
    // A message may quote a server or a selection: a service that reads markup must show it as the
    // text it is, and one that does not must get it unchanged.
    void bodiesReadAsPlainTextWhateverTheServiceReads()
    {
        const QString quoted = QStringLiteral("Server said: <a href=\"https://x.test\">AT&T</a> <b>now</b>");
        QCOMPARE(ZubDesktopNotifier::notification(quoted, true, false, false)->body, quoted);
        const auto escaped = ZubDesktopNotifier::notification(quoted, true, false, true);
        QCOMPARE(escaped->body, QStringLiteral("Server said: &lt;a href=&quot;https://x.test&quot;&gt;AT&amp;T&lt;/a&gt; "
                                               "&lt;b&gt;now&lt;/b&gt;"));
        QCOMPARE(escaped->timeoutMs, ZubDesktopNotifier::errorTimeoutMs);
        QVERIFY(!ZubDesktopNotifier::notification(quoted, true, true, true));
    }
};

QUOR_TEST_GUILESS_MAIN(TestZubDesktopNotifier)
#include "tst_zubdesktopnotifier.moc"
