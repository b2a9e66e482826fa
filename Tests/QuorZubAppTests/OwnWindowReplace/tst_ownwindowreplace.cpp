#include "../Studio/FakeStudioModel.h"

#include "QuorZubApp/Views/Studio/ZubPlaygroundView.h"
#include "QuorZubCore/Services/SelectionWatcherService.h"

#include "QuorPlatform/Pasteboard/QuorClipboard.h"
#include "Support/QuorTestProcesses.h"
#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTextCursor>
#include <QVBoxLayout>
#include <QtTest>

namespace {
const QString fieldText = QStringLiteral("alpha bravo charlie");
const QString userClip = QStringLiteral("the user's clip");
} // namespace

// Replace in place while one of this application's own windows has the keyboard (the manual
// trigger in the Actions or Settings tab, or in the playground), for real on the X display: its
// widgets read the clipboard without asking the X server, or through it from a second connection.
// Either read is the paste, and the user's clipboard comes back.
class TestOwnWindowReplace : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        auto* column = new QVBoxLayout(&m_window);
        m_field = new QLineEdit(&m_window);
        column->addWidget(m_field);
        m_playground = new ZubPlaygroundView(m_model, Qt::magenta, &m_window);
        column->addWidget(m_playground);
        m_window.resize(900, 700);
        m_window.show();
        m_window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&m_window));
    }

    void ownWidgetsPasteAndTheClipboardComesBack_data()
    {
        QTest::addColumn<bool>("playground");
        QTest::newRow("a plain line edit") << false;
        QTest::newRow("the playground editor") << true;
    }

    void ownWidgetsPasteAndTheClipboardComesBack()
    {
        QFETCH(bool, playground);
        auto* editor = m_playground->findChild<QPlainTextEdit*>(QStringLiteral("editor"));
        QVERIFY(editor != nullptr);
        // The user copied in another application; that application owns the clipboard.
        QProcess owner;
        quorEndWithThisProcess(owner);
        const qint64 changes = quor::platform::Clipboard::shared().changeCount();
        owner.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
        QVERIFY(owner.waitForStarted());
        owner.write(userClip.toUtf8());
        owner.closeWriteChannel();
        QUOR_TRY_VERIFY(quor::platform::Clipboard::shared().changeCount() > changes);

        if (playground) {
            m_model.setPlaygroundText(fieldText);
            QTextCursor cursor = editor->textCursor();
            cursor.setPosition(6);
            cursor.setPosition(11, QTextCursor::KeepAnchor);
            editor->setTextCursor(cursor);
            editor->setFocus();
        } else {
            m_field->setText(fieldText);
            m_field->setSelection(6, 5);
            m_field->setFocus();
        }
        QVERIFY(m_window.isActiveWindow());

        QCOMPARE(quorAwait(m_watcher->replaceSelection(QStringLiteral("NEW"))), SelectionReplaceOutcome::pasted);
        const QString replaced = QStringLiteral("alpha NEW charlie");
        if (playground) {
            QUOR_TRY_COMPARE(editor->toPlainText(), replaced);
            QCOMPARE(m_model.playgroundText(), replaced);
        } else {
            QCOMPARE(m_field->text(), replaced);
        }
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), userClip);
        owner.kill();
        owner.waitForFinished();
    }

    void cleanupTestCase() { m_watcher.reset(); }

private:
    FakeStudioModel m_model;
    QWidget m_window;
    QLineEdit* m_field = nullptr;
    ZubPlaygroundView* m_playground = nullptr;
    std::unique_ptr<SelectionWatcherService> m_watcher = std::make_unique<SelectionWatcherService>();
};

QUOR_TEST_MAIN(TestOwnWindowReplace)
#include "tst_ownwindowreplace.moc"
