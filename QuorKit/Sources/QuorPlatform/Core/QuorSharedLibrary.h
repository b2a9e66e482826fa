#pragma once

#include <QString>

namespace quor::platform {

// A system library opened when a feature first needs it rather than at start-up, so a program that
// rarely recognizes text or speaks does not load those engines (and all they link) on every launch.
// Functions are looked up by name and typed by the caller: `resolve<decltype(::fn)>("fn")` keeps
// the library's own declaration as the one source of the signature.
class SharedLibrary {
public:
    // Opens `soname` ("libfoo.so.1"). The library stays loaded until the process ends, even after
    // this object is gone: engines leave threads and exit handlers behind that must never outlive
    // their code.
    explicit SharedLibrary(const char* soname);
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool isLoaded() const { return m_handle != nullptr; }
    // The loader's reason when the library or a function could not be found; empty otherwise.
    QString errorText() const { return m_error; }

    // The named function, or nullptr (with errorText() set) when the library lacks it.
    template <typename Function>
    Function* resolve(const char* name)
    {
        return reinterpret_cast<Function*>(address(name));
    }

private:
    void* address(const char* name);

    void* m_handle = nullptr;
    QString m_error;
};

} // namespace quor::platform
