#include "QuorZubApp/App/ZubDeferredIconStyle.h"
#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QtTest>

class TestZubDeferredIconStyle : public QObject {
    Q_OBJECT
private slots:
    void theOverflowArrowIsReadWhenDrawn()
    {
        // A style chosen by the user (-style, QT_STYLE_OVERRIDE) stays the one that draws.
        QApplication::setStyle(QStringLiteral("Windows"));
        ZubDeferredIconStyle::install();
        QCOMPARE(qobject_cast<QProxyStyle*>(QApplication::style())->baseStyle()->name(), QStringLiteral("windows"));
        QMainWindow window;
        window.menuBar()->addMenu(QStringLiteral("QuorZub"));
        QVERIFY(!quorIsMapped("/imageformats/"));

        // Drawn, it is the arrow the plain style draws.
        auto* const style = qobject_cast<QProxyStyle*>(QApplication::style());
        QVERIFY(style);
        const QStyle* const plain = style->baseStyle();
        const QIcon arrow = style->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        const QIcon expected = plain->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton);
        QVERIFY(!arrow.isNull());
        QVERIFY(!expected.pixmap(16).isNull());
        QCOMPARE(arrow.pixmap(16).toImage(), expected.pixmap(16).toImage());
        QCOMPARE(arrow.availableSizes(), expected.availableSizes());

        // Other icons are the plain style's own, at once.
        QCOMPARE(style->standardIcon(QStyle::SP_DialogOkButton).pixmap(16).toImage(),
                 plain->standardIcon(QStyle::SP_DialogOkButton).pixmap(16).toImage());
    }
};

QUOR_TEST_MAIN(TestZubDeferredIconStyle)
#include "tst_zubdeferrediconstyle.moc"
