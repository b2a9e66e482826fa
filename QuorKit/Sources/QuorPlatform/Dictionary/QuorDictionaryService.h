#pragma once

#include <QString>

#include <optional>

namespace quor::platform {

// Looks up the definition of a word or phrase in the installed dictionaries.
class DictionaryService {
public:
    virtual ~DictionaryService() = default;
    // The definition text as the dictionary gives it, or nothing when no dictionary knows the term.
    virtual std::optional<QString> definition(const QString& term) = 0;
};

} // namespace quor::platform
