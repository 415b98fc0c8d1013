#include "output_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>

#include "nc_call.h"

namespace thalwen {

namespace {

// A block of the copy holds this much, or one chunk when a chunk is larger.
constexpr std::size_t kCopyBytes = 8 << 20;

bool hasUnlimited(const std::vector<Dimension>& dimensions) {
    return std::any_of(dimensions.begin(), dimensions.end(), [](const Dimension& d) { return d.unlimited; });
}

std::string appended(const std::string& history, const std::string& line) {
    if (history.empty()) return line;
    return history + (history.back() == '\n' ? "" : "\n") + line;
}

// Applies storage to a variable being defined; what a classic input's
// variables hold (contiguous, uncompressed) is netCDF-4's default too.
// Chunks of another rank than the variable's leave netCDF's own.
void defineStorage(const Place& place, int group, int id, const Storage& storage, std::size_t rank, bool unlimited,
                   const std::string& what) {
    const std::string failed = what + ": cannot set its storage";
    if (storage.layout == Layout::Chunked)
        checked(place, failed, [&] {
            return nc_def_var_chunking(group, id, NC_CHUNKED,
                                       storage.chunks.size() == rank ? storage.chunks.data() : nullptr);
        });
    else if (storage.layout == Layout::Contiguous && !unlimited && storage.deflateLevel == 0 && !storage.shuffle &&
             !storage.fletcher32)
        checked(place, failed, [&] { return nc_def_var_chunking(group, id, NC_CONTIGUOUS, nullptr); });
    if (storage.deflateLevel > 0 || storage.shuffle)
        checked(place, failed, [&] {
            return nc_def_var_deflate(group, id, storage.shuffle, storage.deflateLevel > 0, storage.deflateLevel);
        });
    if (storage.fletcher32) checked(place, failed, [&] { return nc_def_var_fletcher32(group, id, 1); });
    if (storage.noFill) checked(place, failed, [&] { return nc_def_var_fill(group, id, 1, nullptr); });
    keepNoChunks(place, group, id, failed);  // values are written in whole chunks
}

// Copies the groups, dimensions, variables and attributes of the input into
// the output, then the values: everything a reader of either file sees.
class Copier {
public:
    Copier(const InputFile& input, const std::string& outputPath, const std::atomic<bool>* stop)
        : input_{input.path(), false}, output_{outputPath, true}, stop_(stop) {}

    void defineGroup(const Group& group, int into, const std::string& history) {
        groups_[group.id] = into;
        for (const Dimension& dimension : group.dimensions) {
            int id = -1;
            checked(output_, "cannot define dimension " + inQuotes(dimension.name), [&] {
                return nc_def_dim(into, dimension.name.c_str(), dimension.unlimited ? NC_UNLIMITED : dimension.length,
                                  &id);
            });
            dimensions_[dimension.id] = id;
        }
        const bool root = group.name == "/";
        const Attribute* oldHistory = root ? findAttribute(group.attributes, "history") : nullptr;
        for (const Attribute& attribute : group.attributes) {
            if (&attribute == oldHistory && !history.empty())
                putHistory(into, *oldHistory, history);
            else
                copyAttribute(group.id, NC_GLOBAL, attribute, into, NC_GLOBAL, "global attribute");
        }
        if (root && oldHistory == nullptr && !history.empty()) putHistory(into, textAttribute("history", ""), history);
        for (const Variable& variable : group.variables) defineVariable(group.id, variable, into);
        for (const Group& child : group.groups) {
            int id = -1;
            checked(output_, "cannot define group " + inQuotes(child.name),
                    [&] { return nc_def_grp(into, child.name.c_str(), &id); });
            defineGroup(child, id, history);
        }
    }

    void copyValues(const Group& group) {
        for (const Variable& variable : group.variables) copyValues(group.id, variable);
        for (const Group& child : group.groups) copyValues(child);
    }

private:
    void putHistory(int into, const Attribute& old, const std::string& line) {
        const std::string text = appended(old.text, line);
        checked(output_, "cannot write the history attribute", [&] {
            if (old.type != ValueType::String)
                return nc_put_att_text(into, NC_GLOBAL, "history", text.size(), text.data());
            const char* strings[] = {text.c_str()};
            return nc_put_att_string(into, NC_GLOBAL, "history", 1, strings);
        });
    }

    void copyAttribute(int from, int fromVariable, const Attribute& attribute, int into, int intoVariable,
                       const std::string& owner) {
        const std::string what = owner + " " + inQuotes(attribute.name);
        if (attribute.type == ValueType::UserDefined)
            throw NetcdfError(input_.path + ": " + what + " is of a user-defined type, which is not copied", false);
        checked(output_, "cannot copy " + what,
                [&] { return nc_copy_att(from, fromVariable, attribute.name.c_str(), into, intoVariable); });
    }

    void defineVariable(int group, const Variable& variable, int into) {
        const std::string what = "variable " + inQuotes(variable.name);
        if (variable.type == ValueType::UserDefined)
            throw NetcdfError(input_.path + ": " + what + " is of a user-defined type, which is not copied", false);
        std::vector<int> dimensions;
        for (const Dimension& dimension : variable.dimensions) dimensions.push_back(dimensions_.at(dimension.id));
        int id = -1;
        checked(output_, "cannot define " + what, [&] {
            return nc_def_var(into, variable.name.c_str(), typeInfo(variable.type).id,
                              static_cast<int>(dimensions.size()), dimensions.data(), &id);
        });
        defineStorage(output_, into, id, variable.storage, variable.dimensions.size(),
                      hasUnlimited(variable.dimensions), what);
        for (const Attribute& attribute : variable.attributes)
            copyAttribute(group, variable.id, attribute, into, id, what + ": attribute");
    }

    void copyValues(int group, const Variable& variable) {
        const std::string what = "variable " + inQuotes(variable.name);
        const int into = groups_.at(group);
        int id = -1;
        checked(output_, what + ": cannot find it", [&] { return nc_inq_varid(into, variable.name.c_str(), &id); });
        const std::size_t size = typeInfo(variable.type).size;
        const Shape unit = variable.storage.layout == Layout::Chunked ? variable.storage.chunks : Shape{};
        std::size_t chunkValues = 1;
        for (std::size_t length : unit) chunkValues *= length;
        std::vector<unsigned char> block;
        for (const Box& box : tile(shapeOf(variable), unit, std::max(kCopyBytes / size, chunkValues))) {
            if (stop_ != nullptr && stop_->load()) throw interrupted(output_.path);
            block.resize(box.size() * size);
            const std::size_t *start = coordinates(box.start), *count = coordinates(box.count);
            checked(input_, what + ": cannot read its values",
                    [&] { return nc_get_vara(group, variable.id, start, count, block.data()); });
            const bool strings = variable.type == ValueType::String;
            try {
                checked(output_, what + ": cannot write its values",
                        [&] { return nc_put_vara(into, id, start, count, block.data()); });
            } catch (...) {
                if (strings) nc_free_string(box.size(), reinterpret_cast<char**>(block.data()));
                throw;
            }
            if (strings) nc_free_string(box.size(), reinterpret_cast<char**>(block.data()));
        }
    }

private:
    Place input_;
    Place output_;
    std::map<int, int> dimensions_;  // the input's ids to the output's
    std::map<int, int> groups_;
    const std::atomic<bool>* stop_;
};

}  // namespace

std::string temporaryName(const std::string& path) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    std::string name = path + ".tmp-";
    for (int i = 0; i < 6; ++i) name += kLetters[pick(device)];
    return name;
}

Attribute textAttribute(std::string name, std::string text) {
    Attribute attribute;
    attribute.name = std::move(name);
    attribute.text = std::move(text);
    return attribute;
}

Attribute numberAttribute(std::string name, double value) {
    Attribute attribute;
    attribute.name = std::move(name);
    attribute.type = ValueType::Double;
    attribute.numbers = {value};
    return attribute;
}

std::string historyLine(std::chrono::system_clock::time_point time, const std::vector<std::string>& arguments) {
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{floor<seconds>(time - day)};
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02u-%02uT%02ld:%02ld:%02ldZ:", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long>(clock.hours().count()), static_cast<long>(clock.minutes().count()),
                  static_cast<long>(clock.seconds().count()));
    std::string line = stamp;
    for (const std::string& argument : arguments) {
        line += ' ';
        const bool plain = !argument.empty() && argument.find_first_not_of(
                                                    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTU"
                                                    "VWXYZ0123456789_-+=.,/:@%") == std::string::npos;
        if (plain) {
            line += argument;
            continue;
        }
        line += '\'';
        for (char c : argument) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += '\'';
    }
    return line;
}

OutputFile::OutputFile(const InputFile& input, std::string path, const std::vector<NewVariable>& variables,
                       const std::string& history, const std::atomic<bool>* stop)
    : path_(std::move(path)) {
    const Place place{path_, true};
    std::error_code error;
    if (std::filesystem::exists(path_, error) && !std::filesystem::is_regular_file(path_, error))
        throw NetcdfError(path_ + ": is no regular file, which a netCDF file could replace", true);
    const Description& description = input.description();
    const int mode = NC_NETCDF4 | NC_NOCLOBBER | (fitsClassicModel(description) ? NC_CLASSIC_MODEL : 0);
    for (int attempt = 0;; ++attempt) {
        temporary_ = temporaryName(path_);
        const int status = nc_create(temporary_.c_str(), mode, &id_);
        if (status == NC_NOERR) break;
        if (status != NC_EEXIST || attempt == 100) throw netcdfError(place, "cannot create it", status, errno);
    }
    open_ = true;
    Copier copier(input, path_, stop);
    try {
        copier.defineGroup(description.root, id_, history);
        for (const NewVariable& variable : variables) newVariables_.push_back(define(input, variable));
    } catch (...) {
        discard();
        throw;
    }
    try {
        checked(place, "cannot write its definitions", [&] { return nc_enddef(id_); });
        copier.copyValues(description.root);
    } catch (const NetcdfError& error) {
        // An interruption between two blocks leaves a file netCDF can close.
        broken_ = error.output && !(stop != nullptr && stop->load());
        discard();
        throw;
    } catch (...) {
        discard();
        throw;
    }
}

OutputFile::Written OutputFile::define(const InputFile& input, const NewVariable& variable) {
    const Place place{path_, true};
    const std::string what = "variable " + inQuotes(variable.name);
    if (findVariable(input.description().root, variable.name) != nullptr)
        throw NetcdfError(input.path() + ": has a " + what + " already", false);
    std::vector<int> dimensions;
    for (const std::string& name : variable.dimensions) {
        int id = -1;
        if (nc_inq_dimid(id_, name.c_str(), &id) != NC_NOERR)
            throw NetcdfError(input.path() + ": no dimension " + inQuotes(name) + " for the new " + what, false);
        dimensions.push_back(id);
    }
    Written written{variable.name, -1, defaultFill(variable.type), variable.dimensions};
    checked(place, "cannot add " + what, [&] {
        return nc_def_var(id_, variable.name.c_str(), typeInfo(variable.type).id, static_cast<int>(dimensions.size()),
                          dimensions.data(), &written.id);
    });
    Storage storage = variable.storage;
    if (storage.layout == Layout::Compact) storage.layout = Layout::Contiguous;
    defineStorage(place, id_, written.id, storage, dimensions.size(), false, what);
    for (const Attribute& attribute : variable.attributes) {
        checked(place, what + ": cannot write attribute " + inQuotes(attribute.name), [&] {
            if (!isNumber(attribute.type))
                return nc_put_att_text(id_, written.id, attribute.name.c_str(), attribute.text.size(),
                                       attribute.text.data());
            return nc_put_att_double(id_, written.id, attribute.name.c_str(), typeInfo(attribute.type).id,
                                     attribute.numbers.size(), attribute.numbers.data());
        });
        if (attribute.name == "_FillValue" && !attribute.numbers.empty()) written.fill = attribute.numbers[0];
    }
    return written;
}

OutputFile::~OutputFile() { discard(); }

const std::vector<std::string>& OutputFile::newVariableDimensions(std::size_t variable) const {
    return newVariables_.at(variable).dimensions;
}

void OutputFile::write(std::size_t variable, const Box& box, std::span<const double> values) {
    const Written& target = newVariables_.at(variable);
    scratch_.assign(values.begin(), values.end());
    for (double& value : scratch_)
        if (std::isnan(value)) value = target.fill;
    const std::size_t *start = coordinates(box.start), *count = coordinates(box.count);
    try {
        checked(Place{path_, true}, "variable " + inQuotes(target.name) + ": cannot write its values",
                [&] { return nc_put_vara_double(id_, target.id, start, count, scratch_.data()); });
    } catch (...) {
        broken_ = true;
        discard();
        throw;
    }
}

void OutputFile::commit() {
    const Place place{path_, true};
    try {
        // A failure to write found on closing would leave netCDF unable to
        // close the file; one found flushing it leaves the file as it was.
        try {
            checked(place, "cannot finish it", [&] { return nc_sync(id_); });
        } catch (...) {
            broken_ = true;
            throw;
        }
        open_ = false;
        checked(place, "cannot finish it", [&] { return nc_close(id_); });
        std::error_code error;
        std::filesystem::rename(temporary_, path_, error);
        if (error) throw NetcdfError(path_ + ": cannot give it its name: " + error.message(), true);
    } catch (...) {
        discard();
        throw;
    }
    temporary_.clear();
}

namespace {

std::atomic<int> leftOpen = 0;

}  // namespace

bool filesLeftOpen() { return leftOpen > 0; }

void OutputFile::discard() noexcept {
    // netCDF 4.9 cannot close a netCDF-4 file whose writing failed (it lists
    // the file's objects in HDF5, which fails with a crash): such a file is
    // left open, its memory and descriptor lost to the process until it ends.
    if (open_ && broken_) ++leftOpen;
    if (open_ && !broken_) nc_abort(id_);
    open_ = false;
    if (temporary_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
    temporary_.clear();
}

}  // namespace thalwen
