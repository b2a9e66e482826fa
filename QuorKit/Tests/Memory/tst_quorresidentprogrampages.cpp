#include "QuorPlatform/Memory/QuorResidentProgramPages.h"
#include "Support/QuorTestSupport.h"

#include <QFile>
#include <QtTest>

#include <sys/mman.h>
#include <unistd.h>

using quor::platform::ResidentProgramPages;

constexpr int kDataPages = 1024;

// Constant data of this program, far larger than what the kernel maps in on one fault, so that its
// pages far apart come in one by one.
extern const char quorTestProgramData[];
alignas(4096) __attribute__((used)) const char quorTestProgramData[kDataPages * 4096] = "first page";

namespace {

const qsizetype kPage = static_cast<qsizetype>(sysconf(_SC_PAGESIZE));

const char* dataPage(int index)
{
    return quorTestProgramData + index * kPage;
}

// Reads the page's first byte, as code using it would.
char read(int index)
{
    return *static_cast<const volatile char*>(dataPage(index));
}

// Whether the page is mapped into this process, from its pagemap entry.
bool isMappedIn(int index)
{
    QFile pagemap(QStringLiteral("/proc/self/pagemap"));
    const auto address = reinterpret_cast<quintptr>(dataPage(index));
    if (!pagemap.open(QIODevice::ReadOnly)
        || !pagemap.seek(static_cast<qint64>(address / static_cast<quintptr>(kPage) * 8))) {
        return false;
    }
    quint64 entry = 0;
    return pagemap.read(reinterpret_cast<char*>(&entry), 8) == 8 && (entry & (quint64(1) << 63)) != 0;
}

} // namespace

// The pages of the program's constant segments brought in since an earlier moment, let go without
// losing anything the process wrote.
class TestQuorResidentProgramPages : public QObject {
    Q_OBJECT

private slots:
    void pagesBroughtInSinceGoAndComeBackUnchanged()
    {
        QCOMPARE(read(0), 'f');
        const ResidentProgramPages before = ResidentProgramPages::current();
        QVERIFY(before.residentBytes() > 0);
        QCOMPARE(read(512), '\0');
        QCOMPARE(read(900), '\0');
        QVERIFY(isMappedIn(512));

        const qint64 released = ResidentProgramPages::releaseAddedSince(before);
        QVERIFY2(released >= 2 * kPage, qPrintable(QString::number(released)));
        QVERIFY(isMappedIn(0));
        QVERIFY(!isMappedIn(512));
        QVERIFY(!isMappedIn(900));
        // The next read maps the file's page in again.
        QCOMPARE(read(0), 'f');
        QCOMPARE(read(900), '\0');
    }

    void pagesTheProcessWroteToStay()
    {
        // Made writable for a moment (as a loader does to relocate): the written page is the
        // process's own copy, and letting it go would bring the file's old content back.
        const ResidentProgramPages before = ResidentProgramPages::current();
        auto* page = const_cast<char*>(dataPage(300));
        QCOMPARE(mprotect(page, static_cast<size_t>(kPage), PROT_READ | PROT_WRITE), 0);
        *static_cast<volatile char*>(page) = 'z';
        QCOMPARE(mprotect(page, static_cast<size_t>(kPage), PROT_READ), 0);
        QCOMPARE(read(700), '\0');

        ResidentProgramPages::releaseAddedSince(before);
        QVERIFY(isMappedIn(300));
        QCOMPARE(read(300), 'z');
        QVERIFY(!isMappedIn(700));
    }
};

QUOR_TEST_GUILESS_MAIN(TestQuorResidentProgramPages)
#include "tst_quorresidentprogrampages.moc"
