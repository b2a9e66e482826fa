#pragma once

#include "QuorPlatform/Tokenization/QuorTextTokenizer.h"

#include <memory>

namespace quor::platform {

// Word and sentence segmentation with ICU's break iterators. Turkish suffixes after an apostrophe
// stay in their word ("Ankara'da"); sentences do not end after common abbreviations such as "Dr.".
// The iterator is built once; an instance serves one thread at a time.
class IcuTextTokenizer : public TextTokenizer {
public:
    explicit IcuTextTokenizer(TokenUnit unit);
    ~IcuTextTokenizer() override;

    TokenUnit unit() const override { return m_unit; }
    void enumerateTokens(QStringView text, const std::function<void(QStringView token)>& visit) override;

private:
    struct Iterator;
    TokenUnit m_unit;
    std::unique_ptr<Iterator> m_iterator;
};

} // namespace quor::platform
