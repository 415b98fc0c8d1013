// A batch's output file, written under a temporary name beside it and given
// its name once whole: a failure or an interruption leaves nothing
// half-written behind, and a file of that name as it was. A destination that
// is no regular file (a device, a pipe) is written directly.
#pragma once

#include <cstdio>
#include <string>

#include "exit_status.h"

namespace thalwen {

class ReplacedFile {
public:
    explicit ReplacedFile(std::string path) : path_(std::move(path)) {}
    ~ReplacedFile();  // removes what was written, unless committed
    ReplacedFile(const ReplacedFile&) = delete;
    ReplacedFile& operator=(const ReplacedFile&) = delete;

    // Creates the file under its temporary name; fails naming the file and
    // the system's reason.
    Failure open();
    std::FILE* file() const { return file_; }
    // Closes it and gives it its name, replacing any file of that name.
    Failure commit();

private:
    std::string path_;
    std::string temporary_;
    std::FILE* file_ = nullptr;
};

}  // namespace thalwen
