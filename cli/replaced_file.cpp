#include "replaced_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "messages.h"
#include "output_file.h"

namespace thalwen {

namespace {

Failure cannot(const std::string& path, const char* what, const std::string& why) {
    return Failure("thalwen-convert: " + thalwen::quoted(path) + ": " + what + ": " + why, kExitOutputFailed);
}

std::string systemReason() { return std::strerror(errno != 0 ? errno : EIO); }

}  // namespace

ReplacedFile::~ReplacedFile() {
    if (file_) std::fclose(file_);
    if (!temporary_.empty()) std::remove(temporary_.c_str());
}

Failure ReplacedFile::open() {
    // A device or a pipe (/dev/stdout, a FIFO) is written as it is: renaming
    // a file over it would replace it.
    std::error_code error;
    if (std::filesystem::exists(path_, error) && !std::filesystem::is_regular_file(path_, error)) {
        errno = 0;
        file_ = std::fopen(path_.c_str(), "wb");
        return file_ ? Failure() : cannot(path_, "cannot open it", systemReason());
    }
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        std::string name = temporaryName(path_);
        std::error_code ignored;
        if (std::filesystem::exists(name, ignored)) continue;
        errno = 0;
        file_ = std::fopen(name.c_str(), "wb");
        if (!file_) return cannot(path_, "cannot create it", systemReason());
        temporary_ = std::move(name);
    }
    return file_ ? Failure() : cannot(path_, "cannot create it", std::strerror(EEXIST));
}

Failure ReplacedFile::commit() {
    errno = 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) return cannot(path_, "cannot finish it", systemReason());
    if (temporary_.empty()) return {};
    std::error_code error;
    std::filesystem::rename(temporary_, path_, error);
    if (error) return cannot(path_, "cannot give it its name", error.message());
    temporary_.clear();
    return {};
}

}  // namespace thalwen
