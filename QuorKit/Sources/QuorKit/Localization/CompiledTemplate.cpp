#include "QuorKit/Localization/CompiledTemplate.h"

#include <algorithm>

namespace {

// "{n}" in `text` at `position` with n written without leading zeros and below `limit`: returns n
// and sets `end` past the closing brace; -1 otherwise.
int placeholderAt(const QString& text, qsizetype position, int limit, qsizetype& end)
{
    qsizetype i = position + 1;
    qint64 number = 0;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        if ((i > position + 1 && number == 0) || number > limit) {
            return -1; // a leading zero, or already too large
        }
        number = number * 10 + (text.at(i).unicode() - u'0');
        ++i;
    }
    if (i == position + 1 || i >= text.size() || text.at(i) != QLatin1Char('}') || number >= limit) {
        return -1;
    }
    end = i + 1;
    return static_cast<int>(number);
}

} // namespace

std::optional<CompiledTemplate> CompiledTemplate::compile(const QString& source, const QString& target)
{
    CompiledTemplate compiled;
    qsizetype cursor = 0;
    while (true) {
        const QString placeholder = QLatin1Char('{') + QString::number(compiled.m_placeholderCount) + QLatin1Char('}');
        const qsizetype found = source.indexOf(placeholder, cursor);
        if (found < 0) {
            break;
        }
        compiled.m_sourceLiterals.append(source.mid(cursor, found - cursor));
        ++compiled.m_placeholderCount;
        cursor = found + placeholder.size();
    }
    if (compiled.m_placeholderCount == 0) {
        return std::nullopt;
    }
    compiled.m_sourceLiterals.append(source.mid(cursor));
    for (const QString& literal : std::as_const(compiled.m_sourceLiterals)) {
        compiled.m_literalWeight += QuorGraphemeBoundaries(literal).count();
    }
    if (compiled.m_literalWeight < 2) {
        return std::nullopt;
    }
    compiled.m_firstLiteralLength = QuorGraphemeBoundaries(compiled.m_sourceLiterals.first()).count();
    compiled.m_lastLiteralLength = QuorGraphemeBoundaries(compiled.m_sourceLiterals.last()).count();
    compiled.m_targetTemplate = target;

    // Cut the target once, so that every placeholder is replaced in a single pass: a captured
    // value that itself reads "{1}" stays as the user wrote it.
    QString pending;
    for (qsizetype i = 0; i < target.size();) {
        qsizetype end = 0;
        const int capture = target.at(i) == QLatin1Char('{') ? placeholderAt(target, i, compiled.m_placeholderCount, end) : -1;
        if (capture < 0) {
            pending.append(target.at(i));
            ++i;
            continue;
        }
        if (!pending.isEmpty()) {
            compiled.m_target.push_back(TargetPiece{pending, -1});
            pending.clear();
        }
        compiled.m_target.push_back(TargetPiece{QString(), capture});
        i = end;
    }
    if (!pending.isEmpty()) {
        compiled.m_target.push_back(TargetPiece{pending, -1});
    }
    return compiled;
}

std::optional<QString> CompiledTemplate::apply(const QString& text, const QuorGraphemeBoundaries& boundaries) const
{
    if (boundaries.count() < m_literalWeight) {
        return std::nullopt;
    }
    const QString& first = m_sourceLiterals.first();
    const QString& last = m_sourceLiterals.last();
    if (!first.isEmpty() && !(text.startsWith(first) && boundaries.isBoundary(first.size()))) {
        return std::nullopt;
    }
    if (!last.isEmpty() && !(text.endsWith(last) && boundaries.isBoundary(text.size() - last.size()))) {
        return std::nullopt;
    }
    const qsizetype regionStart = first.size();
    const qsizetype regionEnd = text.size() - last.size();
    if (regionStart > regionEnd) {
        return std::nullopt;
    }

    QList<QStringView> captures;
    captures.reserve(m_placeholderCount);
    qsizetype cursor = regionStart;
    for (int i = 1; i < m_placeholderCount; ++i) {
        const QString& middle = m_sourceLiterals.at(i);
        if (middle.isEmpty()) {
            return std::nullopt; // adjacent placeholders cannot be told apart
        }
        // The first occurrence that starts and ends on character boundaries.
        qsizetype found = cursor;
        while (true) {
            found = QStringView(text).first(regionEnd).indexOf(middle, found);
            if (found < 0) {
                return std::nullopt;
            }
            if (boundaries.isBoundary(found) && boundaries.isBoundary(found + middle.size())) {
                break;
            }
            ++found;
        }
        if (found == cursor) {
            return std::nullopt;
        }
        captures.append(QStringView(text).sliced(cursor, found - cursor));
        cursor = found + middle.size();
    }
    if (cursor >= regionEnd) {
        return std::nullopt;
    }
    captures.append(QStringView(text).sliced(cursor, regionEnd - cursor));
    return substitute(captures);
}

QString CompiledTemplate::substitute(const QList<QStringView>& captures) const
{
    QString result;
    for (const TargetPiece& piece : m_target) {
        if (piece.capture >= 0) {
            result.append(captures.at(piece.capture));
        } else {
            result.append(piece.text);
        }
    }
    return result;
}
