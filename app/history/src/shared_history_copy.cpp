// SPDX-License-Identifier: GPL-3.0-or-later
#include "tavrel/shared_history_copy.h"

#include <cerrno>
#include <fstream>
#include <vector>

#include "tavrel/shared_history_folder.h"

namespace tavrel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kChunk = 1 << 16;

// What the C library said of the call that just failed; a plain I/O error when it said nothing.
std::error_code LastError() {
    const int number = errno;
    return number != 0 ? std::error_code(number, std::generic_category())
                       : std::make_error_code(std::errc::io_error);
}

// Reads `length` bytes from `offset`; false when fewer were there.
bool ReadRange(const fs::path& path, std::uintmax_t offset, std::uintmax_t length,
               std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in || !in.seekg(static_cast<std::streamoff>(offset))) return false;
    bytes.resize(static_cast<std::size_t>(length));
    in.read(bytes.data(), static_cast<std::streamsize>(length));
    return static_cast<std::uintmax_t>(in.gcount()) == length;
}

bool SamePrefix(const fs::path& a, const fs::path& b, std::uintmax_t length) {
    std::ifstream inA(a, std::ios::binary), inB(b, std::ios::binary);
    std::vector<char> bufferA(kChunk), bufferB(kChunk);
    while (length > 0) {
        const auto take = static_cast<std::streamsize>(std::min<std::uintmax_t>(length, kChunk));
        inA.read(bufferA.data(), take);
        inB.read(bufferB.data(), take);
        if (inA.gcount() != take || inB.gcount() != take ||
            !std::equal(bufferA.begin(), bufferA.begin() + take, bufferB.begin())) {
            return false;
        }
        length -= static_cast<std::uintmax_t>(take);
    }
    return true;
}

// Appends the bytes; how many reached the file.
std::size_t AppendBytes(const fs::path& path, const std::string& bytes, std::error_code& error) {
    std::filebuf file;
    file.pubsetbuf(nullptr, 0);  // straight to the file: a failure says how far it got
    errno = 0;
    if (file.open(path, std::ios::out | std::ios::app | std::ios::binary) == nullptr) {
        error = LastError();
        return 0;
    }
    const auto written = file.sputn(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (written != static_cast<std::streamsize>(bytes.size())) error = LastError();
    if (file.close() == nullptr && !error) error = LastError();
    return written > 0 ? static_cast<std::size_t>(written) : 0;
}

// Writes the file anew in one rename, so that a reader or a sync engine never sees it half
// written. The temporary name is not a documented one: nobody reads it.
bool ReplaceFile(const fs::path& path, const std::string& bytes, std::error_code& error) {
    const fs::path temporary = path.parent_path() / ("." + path.filename().u8string() + ".new");
    {
        errno = 0;
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = LastError();
            return false;
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = LastError();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    fs::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

std::uintmax_t SizeOr0(const fs::path& path, bool& exists) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    exists = !error;
    return error ? 0 : size;
}

// Brings one month's copy up to the local file; false with the error when it cannot.
bool CopyMonth(const fs::path& local, const fs::path& copy, std::uintmax_t* known,
               std::uintmax_t& copied, std::error_code& error) {
    bool localThere = false, copyThere = false;
    const std::uintmax_t localSize = SizeOr0(local, localThere);
    if (!localThere) return true;  // gone since it was listed: nothing to copy
    const std::uintmax_t copySize = SizeOr0(copy, copyThere);
    const bool prefix = (known != nullptr && *known == copySize && copySize <= localSize) ||
                        copySize == 0 ||
                        (copySize <= localSize && SamePrefix(local, copy, copySize));
    std::string bytes;
    if (prefix) {
        if (copySize == localSize) {
            copied = localSize;
            return true;
        }
        // The rest, from where the copy ends: a line torn there is completed by it.
        if (!ReadRange(local, copySize, localSize - copySize, bytes)) return true;
        copied = copySize + AppendBytes(copy, bytes, error);
        return !error;
    }
    // Not a copy of this file any more (the local history was removed and began again, or
    // the copy was changed elsewhere): the local file is the record.
    if (!ReadRange(local, 0, localSize, bytes)) return true;
    if (!ReplaceFile(copy, bytes, error)) return false;
    copied = localSize;
    return true;
}

}  // namespace

SharedFolderState CopyHistory(const fs::path& local, const SharedTarget& target,
                              SharedCopyMemo& memo) {
    if (target.folder.empty() || !IsComputerId(target.computerId)) return SharedFolderState::Off;
    std::error_code error;
    if (!fs::is_directory(target.folder, error)) {
        return error && StateOfError(error) != SharedFolderState::Missing
                   ? StateOfError(error)
                   : SharedFolderState::Missing;
    }
    const fs::path own = target.folder / target.computerId;
    fs::create_directory(own, error);
    if (error) return StateOfError(error);

    if (!memo.nameWritten) {
        const fs::path nameFile = own / kComputerNameFile;
        const std::string text = target.computerName + "\n";
        std::string there;
        if (!(ReadSmallFile(nameFile, there) && there == text) &&
            !ReplaceFile(nameFile, text, error)) {
            return StateOfError(error);
        }
        memo.nameWritten = true;
    }

    for (fs::directory_iterator it(local, error), end; !error && it != end; it.increment(error)) {
        HistoryMonth month;
        const std::string name = it->path().filename().u8string();
        if (!ParseMonthFileName(name, month)) continue;
        const auto found = memo.copied.find(month);
        std::uintmax_t copied = 0;
        if (!CopyMonth(it->path(), own / name,
                       found == memo.copied.end() ? nullptr : &found->second, copied, error)) {
            memo.copied.erase(month);  // looked at afresh next time
            return StateOfError(error);
        }
        memo.copied[month] = copied;
    }
    // A local folder not made yet holds nothing to copy.
    return SharedFolderState::Ok;
}

}  // namespace tavrel
