#include "RegularFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
/** Closes the descriptor however the read ends. */
struct Descriptor
{
    explicit Descriptor (int fileDescriptor) noexcept
        : fd (fileDescriptor)
    {
    }

    ~Descriptor()
    {
        if (fd >= 0)
            close (fd);
    }

    const int fd;
};
} // namespace

bool RegularFile::exists (const juce::File& file)
{
    struct stat status;
    return file != juce::File() && stat (file.getFullPathName().toRawUTF8(), &status) == 0 && S_ISREG (status.st_mode);
}

bool RegularFile::isReadOnly (const juce::File& file)
{
    const auto& pathName = file.getFullPathName();
    const auto* path = pathName.toRawUTF8();
    struct stat status;

    // Write bits count as well as access(), which grants everything to root.
    return exists (file) && stat (path, &status) == 0
           && ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access (path, W_OK) != 0);
}

bool RegularFile::read (const juce::File& file, size_t maxBytes, juce::MemoryBlock& contents)
{
    contents.reset();

    // Checked by name first so that no device is ever opened (opening some
    // has effects of its own); O_NONBLOCK covers a FIFO swapped in since.
    if (! exists (file))
        return false;

    const Descriptor handle (open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status;

    if (handle.fd < 0 || fstat (handle.fd, &status) != 0 || ! S_ISREG (status.st_mode)
        || (juce::uint64) status.st_size > maxBytes)
        return false;

    // One byte more than fstat gave tells a file that grew meanwhile.
    const auto expectedBytes = (size_t) status.st_size;
    contents.setSize (expectedBytes + 1);
    size_t total = 0;

    while (total < contents.getSize())
    {
        const auto got =
            ::read (handle.fd, static_cast<char*> (contents.getData()) + total, contents.getSize() - total);

        if (got < 0 && errno == EINTR)
            continue;

        if (got < 0)
        {
            contents.reset();
            return false;
        }

        if (got == 0)
            break;

        total += (size_t) got;
    }

    if (total > expectedBytes)
    {
        contents.reset();
        return false;
    }

    contents.setSize (total);
    return true;
}
