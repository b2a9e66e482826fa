#pragma once

#include <QString>

// Short display texts for sizes, rates and durations, in decimal units (1 KB = 1,000 bytes) with a
// dot as decimal separator whatever the locale.
namespace QuorByteFormatter {
// "999 B", "1.5 KB", "5.00 GB", "2.50 TB"; a negative count reads as 0 B.
QString format(qint64 bytes);
// "12 B/s", "1.5 KB/s", "2.00 GB/s"; a negative rate or NaN reads as 0 B/s.
QString formatRate(double bytesPerSecond);
// "07:05" below an hour, "25:01:01" from one hour on; negative reads as 00:00.
QString formatDuration(double seconds);
// (original - optimized) / original in percent; 0 when original is 0 or less.
double savingsPercent(qint64 original, qint64 optimized);
// Always quoted, inner quotes doubled; a text that a spreadsheet would take for a formula gets a
// leading single quote.
QString csvSafeField(const QString& text);
} // namespace QuorByteFormatter
