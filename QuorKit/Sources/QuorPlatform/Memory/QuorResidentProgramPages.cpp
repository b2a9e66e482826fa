#include "QuorPlatform/Memory/QuorResidentProgramPages.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <optional>

#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

namespace quor::platform {

namespace {

using Segment = ResidentProgramPages::Segment;

// Bits of a /proc/<pid>/pagemap entry.
constexpr quint64 kPresent = quint64(1) << 63;
constexpr quint64 kFileOrShared = quint64(1) << 61;

quintptr pageSize()
{
    static const quintptr size = static_cast<quintptr>(sysconf(_SC_PAGESIZE));
    return size;
}

// An open /proc/self/pagemap, closed when it goes.
class PagemapFile {
public:
    PagemapFile() : m_fd(::open("/proc/self/pagemap", O_RDONLY | O_CLOEXEC)) {}
    ~PagemapFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    PagemapFile(const PagemapFile&) = delete;
    PagemapFile& operator=(const PagemapFile&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

struct PageRange {
    quintptr start = 0;
    quintptr end = 0;
    bool contains(quintptr address) const { return start <= address && address < end; }
};

// A loaded object's loadable segments, widened to whole pages.
struct LoadedObject {
    QByteArray name;
    QList<PageRange> readOnly;
    QList<PageRange> writable;
};

LoadedObject loadedObject(const dl_phdr_info& info)
{
    LoadedObject object;
    object.name = QByteArray(info.dlpi_name != nullptr ? info.dlpi_name : "") + ' '
        + QByteArray::number(static_cast<qulonglong>(info.dlpi_addr), 16);
    const quintptr page = pageSize();
    for (int i = 0; i < info.dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info.dlpi_phdr[i];
        if (header.p_type != PT_LOAD || header.p_memsz == 0) {
            continue;
        }
        const quintptr from = static_cast<quintptr>(info.dlpi_addr + header.p_vaddr);
        const PageRange range{from / page * page, (from + header.p_memsz + page - 1) / page * page};
        ((header.p_flags & PF_W) != 0 ? object.writable : object.readOnly).append(range);
    }
    return object;
}

bool isVirtualObject(const dl_phdr_info& info)
{
    // The kernel's own shared object has no file behind it.
    return info.dlpi_name != nullptr && qstrncmp(info.dlpi_name, "linux-", 6) == 0;
}

QByteArray keyOf(const Segment& segment)
{
    return segment.object + ' ' + QByteArray::number(static_cast<qulonglong>(segment.start), 16);
}

// The segment's pages as the kernel has them mapped now.
std::optional<Segment> readSegment(int pagemap, const QByteArray& object, const PageRange& range)
{
    const quintptr pages = (range.end - range.start) / pageSize();
    Segment segment{object, range.start, range.end, QBitArray(static_cast<qsizetype>(pages)),
                    QBitArray(static_cast<qsizetype>(pages))};
    // In steps of a few kilobytes: a large library has tens of thousands of pages.
    std::array<quint64, 512> entries{};
    for (quintptr first = 0; first < pages; first += entries.size()) {
        const quintptr count = std::min<quintptr>(entries.size(), pages - first);
        const auto bytes = static_cast<ssize_t>(count * sizeof(quint64));
        const auto offset = static_cast<off_t>((range.start / pageSize() + first) * sizeof(quint64));
        if (::pread(pagemap, entries.data(), static_cast<size_t>(bytes), offset) != bytes) {
            return std::nullopt;
        }
        for (quintptr i = 0; i < count; ++i) {
            if ((entries[i] & kPresent) != 0) {
                ((entries[i] & kFileOrShared) != 0 ? segment.filePages : segment.copies)
                    .setBit(static_cast<qsizetype>(first + i));
            }
        }
    }
    return segment;
}

struct Collection {
    QList<LoadedObject> objects;
};

int collectObject(dl_phdr_info* info, size_t /*size*/, void* data)
{
    if (!isVirtualObject(*info)) {
        static_cast<Collection*>(data)->objects.append(loadedObject(*info));
    }
    return 0;
}

struct Release {
    int pagemap = -1;
    QHash<QByteArray, const Segment*> earlier;
    qint64 released = 0;
};

// Lets go of the pages of `now` that the earlier picture did not hold, one call per stretch
// between pages that stay.
qint64 releaseSegment(const Segment& now, const Segment* earlier, const QList<PageRange>& writable)
{
    const quintptr page = pageSize();
    const auto address = [&](qsizetype index) { return now.start + static_cast<quintptr>(index) * page; };
    const auto goes = [&](qsizetype index) {
        const bool wasMapped =
            earlier != nullptr && index < earlier->filePages.size() && earlier->filePages.testBit(index);
        return now.filePages.testBit(index) && !wasMapped;
    };
    const auto stays = [&](qsizetype index) {
        // A private copy holds what the process wrote; a page of a writable segment may be
        // written at any moment.
        return now.copies.testBit(index) || (now.filePages.testBit(index) && !goes(index))
            || std::any_of(writable.begin(), writable.end(),
                           [&](const PageRange& range) { return range.contains(address(index)); });
    };
    qint64 released = 0;
    const qsizetype pages = now.filePages.size();
    qsizetype index = 0;
    while (index < pages) {
        if (!goes(index) || stays(index)) {
            ++index;
            continue;
        }
        qsizetype last = index;
        qint64 going = 0;
        for (qsizetype next = index; next < pages && !stays(next); ++next) {
            if (goes(next)) {
                last = next;
                ++going;
            }
        }
        // The file's own pages: the next access maps them in again.
        const auto length = static_cast<size_t>(last + 1 - index) * page;
        if (::madvise(reinterpret_cast<void*>(address(index)), length, MADV_DONTNEED) == 0) {
            released += going * static_cast<qint64>(page);
        }
        index = last + 1;
    }
    return released;
}

// Runs while the dynamic loader's list is locked: no object is unloaded while its pages are let go.
int releaseObject(dl_phdr_info* info, size_t /*size*/, void* data)
{
    if (isVirtualObject(*info)) {
        return 0;
    }
    auto& release = *static_cast<Release*>(data);
    const LoadedObject object = loadedObject(*info);
    for (const PageRange& range : object.readOnly) {
        const std::optional<Segment> now = readSegment(release.pagemap, object.name, range);
        if (now) {
            release.released += releaseSegment(*now, release.earlier.value(keyOf(*now), nullptr), object.writable);
        }
    }
    return 0;
}

} // namespace

ResidentProgramPages ResidentProgramPages::current()
{
    ResidentProgramPages resident;
    const PagemapFile pagemap;
    if (pagemap.fd() < 0) {
        return resident;
    }
    Collection collection;
    dl_iterate_phdr(&collectObject, &collection);
    for (const LoadedObject& object : std::as_const(collection.objects)) {
        for (const PageRange& range : object.readOnly) {
            if (std::optional<Segment> segment = readSegment(pagemap.fd(), object.name, range)) {
                resident.m_segments.append(std::move(*segment));
            }
        }
    }
    return resident;
}

qint64 ResidentProgramPages::releaseAddedSince(const ResidentProgramPages& earlier)
{
    const PagemapFile pagemap;
    if (pagemap.fd() < 0) {
        return 0;
    }
    Release release;
    release.pagemap = pagemap.fd();
    for (const Segment& segment : earlier.m_segments) {
        release.earlier.insert(keyOf(segment), &segment);
    }
    dl_iterate_phdr(&releaseObject, &release);
    return release.released;
}

qint64 ResidentProgramPages::residentBytes() const
{
    qint64 pages = 0;
    for (const Segment& segment : m_segments) {
        pages += segment.filePages.count(true);
    }
    return pages * static_cast<qint64>(pageSize());
}

} // namespace quor::platform
