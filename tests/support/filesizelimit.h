#pragma once
// A full disk for one test, as root feels it too: while this exists, no file of this process
// (or of a child it starts) can grow beyond `bytes`; writes past it fail with EFBIG instead of
// raising SIGXFSZ. The previous limit and signal disposition come back on destruction.

#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};
