#include "../StudioViewModel/FakeStudioEnvironment.h"

#include "QuorZubApp/ViewModels/ZubStudioViewModel.h"
#include "QuorZubApp/Views/ZubFloatingBarController.h"
#include "QuorZubApp/Views/ZubFloatingBarState.h"
#include "QuorZubCore/Services/ZubConfigStore.h"

#include "Support/QuorTestSupport.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QtTest>

// The bar driven by the view model on a real display, with the pointer where a person's would be:
// the buttons of a result hide the bar from under the pointer.
class TestZubFloatingBarRoad : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    FakeStudioEnvironment* m_env = nullptr;
    std::unique_ptr<ZubStudioViewModel> m_vm;

    ZubFloatingBarController* bar() const { return m_vm->floatingBarController(); }
    QAbstractButton* button(const QString& name) const
    {
        return bar()->panel() ? bar()->panel()->findChild<QAbstractButton*>(name) : nullptr;
    }

    // Shows the bar for a selection and runs its first action with the pointer on the pill.
    void showResult()
    {
        m_env->onSelection(QStringLiteral("hello quiet world"), QPoint(500, 400), {});
        QUOR_TRY_VERIFY(bar()->state()->isPresented());
        QAbstractButton* pill = button(QStringLiteral("pill:")
                                       + bar()->state()->actions().first().id.toString(QUuid::WithoutBraces));
        QVERIFY(pill != nullptr);
        QTest::mouseMove(pill);
        QTest::mouseClick(pill, Qt::LeftButton);
        QUOR_TRY_VERIFY(bar()->state()->result().has_value());
        QUOR_TRY_VERIFY(button(QStringLiteral("replaceButton")) != nullptr);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        ZubConfig config = ZubConfig::defaultConfig();
        for (ZubActionDefinition& action : config.actions) {
            action.isEnabled = action.kind == ZubActionKind::caseTransform;
        }
        ZubConfigStore(m_dir->path()).saveConfig(config);
        auto env = std::make_unique<FakeStudioEnvironment>();
        m_env = env.get();
        m_vm = std::make_unique<ZubStudioViewModel>(std::move(env), m_dir->path());
    }

    void cleanup() { m_vm.reset(); }

    void replaceHidesTheBarFromUnderThePointer()
    {
        showResult();
        QAbstractButton* replace = button(QStringLiteral("replaceButton"));
        QTest::mouseMove(replace);
        QTest::mouseClick(replace, Qt::LeftButton);
        QVERIFY(!bar()->panel()->isVisible());
        QUOR_TRY_COMPARE(m_env->replaced, QStringList{QStringLiteral("out:hello quiet world")});
        QVERIFY(!bar()->state()->result().has_value());
    }

    void closingTheResultHidesTheBar()
    {
        showResult();
        QAbstractButton* close = button(QStringLiteral("closeButton"));
        QTest::mouseMove(close);
        QTest::mouseClick(close, Qt::LeftButton);
        QUOR_TRY_VERIFY(!bar()->panel()->isVisible());
        QUOR_TRY_VERIFY(!bar()->state()->result().has_value());
        QCOMPARE(m_vm->history().size(), 1);
    }
};

QUOR_TEST_MAIN(TestZubFloatingBarRoad)
#include "tst_zubfloatingbarroad.moc"
