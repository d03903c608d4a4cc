#include "platform/AtomicFile.h"

#include <atomic>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quillon::platform {

namespace {

// Two processes (or two threads) saving the same file must not share a temporary file,
// so its name carries the process id and a counter. A name that is taken is skipped.
std::string TemporaryPathFor(const std::string& path, unsigned long processId) {
    static std::atomic<unsigned> counter{0};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%lu-%u.tmp", processId, counter.fetch_add(1));
    return path + suffix;
}

constexpr unsigned maxTemporaryNameAttempts = 16;

}  // namespace

#ifdef _WIN32

namespace {

// The path for a wide Win32 file call, or empty when it cannot be one.
std::wstring WidePathFromCodePage936(const std::string& path) {
    if (path.empty() || path.size() > 0x7FFF) return {};
    const int size = static_cast<int>(path.size());
    int length = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, path.data(), size, wide.data(), length);
    // An embedded NUL would silently shorten the path a Win32 call sees.
    if (wide.find(L'\0') != std::wstring::npos) return {};
    // The temporary name adds a few characters to a path that may already be close to
    // MAX_PATH; a full drive path passes that limit with the "\\?\" prefix, which
    // takes the path as it stands, so only paths without "/", "." or ".." parts get it.
    const bool fullDrivePath = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    if (wide.size() >= MAX_PATH && fullDrivePath && wide.find(L'/') == std::wstring::npos &&
        wide.find(L"\\.") == std::wstring::npos) {
        wide.insert(0, L"\\\\?\\");
    }
    return wide;
}

class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (!Valid()) return true;
        BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE file, std::string_view contents) {
    while (!contents.empty()) {
        DWORD chunk = contents.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(contents.size());
        DWORD written = 0;
        if (!WriteFile(file, contents.data(), chunk, &written, nullptr) || written == 0) return false;
        contents.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view contents) {
    std::wstring target = WidePathFromCodePage936(path);
    if (target.empty()) return false;
    for (unsigned attempt = 0; attempt < maxTemporaryNameAttempts; ++attempt) {
        std::wstring temporary = WidePathFromCodePage936(TemporaryPathFor(path, GetCurrentProcessId()));
        if (temporary.empty()) return false;
        OwnedHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        bool written = WriteAll(file.Get(), contents) && FlushFileBuffers(file.Get());
        written = file.Close() && written;
        if (written &&
            MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        DeleteFileW(temporary.c_str());
        return false;
    }
    return false;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxSize) {
    std::wstring widePath = WidePathFromCodePage936(path);
    if (widePath.empty()) return std::nullopt;
    OwnedHandle file(CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK) return std::nullopt;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxSize) {
        return std::nullopt;
    }
    // The file may grow while it is read: read one byte past the limit to notice.
    std::string contents;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
        if (got == 0) break;
        contents.append(buffer, got);
        if (contents.size() > maxSize) return std::nullopt;
    }
    return contents;
}

#else

namespace {

class OwnedDescriptor {
public:
    explicit OwnedDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~OwnedDescriptor() { Close(); }
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    int Get() const { return descriptor_; }
    bool Valid() const { return descriptor_ >= 0; }
    bool Close() {
        if (!Valid()) return true;
        int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0;
    }

private:
    int descriptor_;
};

bool WriteAll(int descriptor, std::string_view contents) {
    while (!contents.empty()) {
        ssize_t written = ::write(descriptor, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view contents) {
    if (path.empty()) return false;
    for (unsigned attempt = 0; attempt < maxTemporaryNameAttempts; ++attempt) {
        std::string temporary = TemporaryPathFor(path, static_cast<unsigned long>(::getpid()));
        OwnedDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!file.Valid()) {
            if (errno == EEXIST) continue;
            return false;
        }
        bool written = WriteAll(file.Get(), contents) && ::fsync(file.Get()) == 0;
        written = file.Close() && written;
        if (written && ::rename(temporary.c_str(), path.c_str()) == 0) {
            // Make the rename itself durable; the new contents are in place either way.
            OwnedDescriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (folder.Valid()) ::fsync(folder.Get());
            return true;
        }
        ::unlink(temporary.c_str());
        return false;
    }
    return false;
}

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t maxSize) {
    // Non-blocking open: a FIFO in the file's place must not hang the reader.
    OwnedDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.Valid()) return std::nullopt;
    struct stat status;
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0 ||
        static_cast<unsigned long long>(status.st_size) > maxSize) {
        return std::nullopt;
    }
    // The file may grow while it is read: keep reading to notice it passing the limit.
    std::string contents;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        contents.append(buffer, static_cast<std::size_t>(got));
        if (contents.size() > maxSize) return std::nullopt;
    }
    return contents;
}

#endif

}  // namespace quillon::platform
