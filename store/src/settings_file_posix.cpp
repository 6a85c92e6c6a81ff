// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <filesystem>
#include <system_error>

#include "tavrel/unique_fd.h"

namespace tavrel::settings_file {

namespace {

namespace fs = std::filesystem;

// The path that a write must replace: the file itself, or the end of its chain of symlinks,
// so that a linked settings file keeps its link.
std::string FinalTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) return current;
        link.resize(static_cast<std::size_t>(n));
        if (link.empty()) return current;
        if (link[0] == '/') {
            current = link;
        } else {
            current = (fs::path(current).parent_path() / link).string();
        }
    }
    return current;  // a loop: the rename will fail on it or replace the last link
}

bool WriteAll(int fd, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

ReadResult ReadWhole(const std::string& path) {
    ReadResult result;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // No file, or no folder for it: nothing is there to lose.
        if (error == ENOENT || error == ENOTDIR) return result;
        result.status = ReadResult::Failed;
        result.reason = std::strerror(error);
        return result;
    }
    UniqueFd file(fd);
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.status = ReadResult::Failed;
            result.reason = std::strerror(errno);
            result.content.clear();
            return result;
        }
        if (n == 0) break;
        result.content.append(buffer, static_cast<std::size_t>(n));
    }
    result.status = ReadResult::Read;
    return result;
}

bool ReplaceDurably(const std::string& path, const std::string& content) {
    const fs::path target(FinalTarget(path));
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return false;

    // The old file's permission bits, never wider: a 0600 file stays 0600, a read-only one
    // read-only. A new file gets what the umask gives.
    struct stat old;
    const bool existed = ::stat(target.c_str(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode)) return false;  // a folder or a device is not ours

    // In the target's folder, so that the rename stays on one file system. Made with 0666
    // and O_EXCL rather than by mkstemp, so that a new file gets what the umask gives.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        static unsigned serial = 0;
        temporary = (folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) +
                               "." + std::to_string(++serial)))
                        .string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    UniqueFd file(fd);
    const bool moded = !existed || ::fchmod(fd, old.st_mode & 07777) == 0;
    const bool written = moded && WriteAll(fd, content) && ::fsync(fd) == 0;
    if (!file.Close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself lives in the folder: flush it too. Some file systems cannot flush a
    // folder; the file is in place either way.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        UniqueFd folderFd(dir);
        ::fsync(dir);
    }
    return true;
}

}  // namespace tavrel::settings_file
