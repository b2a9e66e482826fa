#pragma once

#include <QStringView>

#include <functional>

namespace quor::platform {

enum class TokenUnit { word, sentence };

// Splits a text into words or sentences. A word tokenizer yields only words, numbers and
// ideographs, never the white space and punctuation between them; a sentence tokenizer yields
// every sentence with its trailing space. Implementations need not be safe to share between threads.
class TextTokenizer {
public:
    virtual ~TextTokenizer() = default;
    virtual TokenUnit unit() const = 0;
    // Calls `visit` with each token, in text order; the views point into `text`.
    virtual void enumerateTokens(QStringView text, const std::function<void(QStringView token)>& visit) = 0;
};

} // namespace quor::platform
