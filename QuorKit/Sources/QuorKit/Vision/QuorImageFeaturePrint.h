#pragma once

#include <QImage>
#include <QList>

#include <optional>

// A compact description of what an image looks like: similar pictures have nearby prints, whatever
// their size. It combines the colour distribution, the coarse brightness layout and the direction of
// edges in a 4 by 4 grid, each part scaled to the same weight; the whole print has unit length.
class QuorImageFeaturePrint {
public:
    static constexpr qsizetype colourElements = 72;
    static constexpr qsizetype layoutElements = 64;
    static constexpr qsizetype edgeElements = 128;
    static constexpr qsizetype elementCount = colourElements + layoutElements + edgeElements;

    QuorImageFeaturePrint() = default;
    explicit QuorImageFeaturePrint(QList<float> elements);

    // The print of `image`; nothing for an empty image.
    static std::optional<QuorImageFeaturePrint> of(const QImage& image);

    const QList<float>& elements() const { return m_elements; }

    // The Euclidean distance between the two prints: 0 for the same picture, at most 2. Throws
    // QuorVisionError when the prints differ in length (or one of them is empty).
    float distance(const QuorImageFeaturePrint& other) const;

    bool operator==(const QuorImageFeaturePrint&) const = default;

private:
    QList<float> m_elements;
};
