#include "QuorPlatform/Core/QuorSharedLibrary.h"

#include <dlfcn.h>

namespace quor::platform {

namespace {
QString lastLoaderError()
{
    const char* text = ::dlerror();
    return text != nullptr ? QString::fromLocal8Bit(text) : QString();
}
} // namespace

SharedLibrary::SharedLibrary(const char* soname) : m_handle(::dlopen(soname, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE))
{
    if (m_handle == nullptr) {
        m_error = lastLoaderError();
    }
}

void* SharedLibrary::address(const char* name)
{
    if (m_handle == nullptr) {
        return nullptr;
    }
    ::dlerror();
    void* symbol = ::dlsym(m_handle, name);
    if (symbol == nullptr) {
        m_error = lastLoaderError();
    }
    return symbol;
}

} // namespace quor::platform
