#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QtGlobal>

namespace quor::platform {

// A selected or copied text beyond the size the application works on. It was not read further.
class SelectionTooLargeError : public QuorError {
public:
    enum class Source { selection, clipboard };

    SelectionTooLargeError(Source source, qsizetype limitBytes);

    Source source() const { return m_source; }

private:
    Source m_source;
};

} // namespace quor::platform
