#pragma once

#include <QBitArray>
#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace quor::platform {

// The pages of the program's and its shared libraries' read-only segments (code and constant data)
// that are mapped into the process, and a way to let go of the ones mapped in since an earlier
// moment. A page let go is still the file's page in the kernel's page cache and comes back on its
// next use: nothing is lost, it only stops counting as this process's resident memory, and the
// kernel may reuse it when memory runs short. Pages the process wrote to (its private copies) and
// writable segments are never let go.
class ResidentProgramPages {
public:
    // What is mapped in now. Empty where /proc/self/pagemap cannot be read.
    static ResidentProgramPages current();
    // Lets go of the pages mapped in now that `earlier` did not hold (all of a library loaded since
    // then); returns the bytes let go. Runs on any thread; libraries cannot be unloaded meanwhile.
    static qint64 releaseAddedSince(const ResidentProgramPages& earlier);

    bool isEmpty() const { return m_segments.isEmpty(); }
    qint64 residentBytes() const;

    // One read-only loadable segment of a loaded object, in whole pages.
    struct Segment {
        // The object's file name (empty for the program itself) and load address.
        QByteArray object;
        quintptr start = 0;
        quintptr end = 0;
        // One bit per page: mapped in and still the file's own page.
        QBitArray filePages;
        // One bit per page: the process's private copy of the page, made when it wrote to it.
        QBitArray copies;
    };

private:
    QList<Segment> m_segments;
};

} // namespace quor::platform
