#pragma once

#include <utility>

namespace quor::platform {

// Owns one file descriptor and closes it when dropped. Move-only; -1 means "none".
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool isValid() const { return m_fd >= 0; }
    explicit operator bool() const { return isValid(); }

    int release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor held (if any) and takes `fd`.
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

} // namespace quor::platform
