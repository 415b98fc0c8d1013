#include "run.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "batch_run.h"
#include "messages.h"
#include "netcdf_run.h"
#include "output.h"
#include "replaced_file.h"
#include "usage.h"
#include "user_conversion.h"

namespace thalwen {

namespace {

// Set by Ctrl-C (SIGINT) or SIGTERM while a batch writes an output file.
std::atomic<bool> interrupted = false;

extern "C" void noteInterruption(int) { interrupted = true; }

// While it lives, when watching, has the two signals that end a program set
// interrupted, and a file grown beyond the size limit fail to be written
// (SIGXFSZ ignored) rather than end the program: either way the batch stops
// and removes what it wrote. The handlers before it come back after it.
class InterruptionWatch {
public:
    explicit InterruptionWatch(bool watching) : watching_(watching) {
        if (!watching_) return;
        interrupted = false;
        interrupt_ = std::signal(SIGINT, noteInterruption);
        terminate_ = std::signal(SIGTERM, noteInterruption);
#ifdef SIGXFSZ
        tooLarge_ = std::signal(SIGXFSZ, SIG_IGN);
#endif
    }
    ~InterruptionWatch() {
        if (!watching_) return;
        std::signal(SIGINT, interrupt_);
        std::signal(SIGTERM, terminate_);
#ifdef SIGXFSZ
        std::signal(SIGXFSZ, tooLarge_);
#endif
    }
    InterruptionWatch(const InterruptionWatch&) = delete;
    InterruptionWatch& operator=(const InterruptionWatch&) = delete;

private:
    bool watching_;
    void (*interrupt_)(int) = nullptr;
    void (*terminate_)(int) = nullptr;
    [[maybe_unused]] void (*tooLarge_)(int) = nullptr;
};

}  // namespace

ExitStatus runSingle(const Arguments& arguments, std::FILE* out, std::FILE* err) {
    const UserUnits units = userUnitsOf(arguments);
    UserConversion conversion =
        convertSample(arguments.method, requestedSample(arguments), units, units, derivedIn(arguments.style.outputs));
    std::string text;
    switch (arguments.format) {
    case Format::Text:
        appendText(text, conversion, arguments.style);
        break;
    case Format::Csv:
        appendCsvHeader(text, arguments.style);
        appendCsvRow(text, conversion, arguments.style);
        break;
    case Format::Json:
        appendJson(text, conversion, arguments.style);
        break;
    }
    if (arguments.format == Format::Text && !arguments.quiet) {
        std::string notes;
        appendClampedNotes(notes, conversion, arguments.style);
        // Standard error that cannot be written has nobody left to tell.
        std::fwrite(notes.data(), 1, notes.size(), err);
    }
    if (Failure failure = writeText(text, out, true)) return reportFailure(err, failure);
    return kExitSuccess;
}

ExitStatus runCommandLine(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    Arguments arguments;
    if (Failure failure = parseArguments(argc, argv, arguments)) {
        std::fprintf(err, "thalwen-convert: %s\nTry 'thalwen-convert --help'.\n", failure.message().c_str());
        return failure.status();
    }
    if (arguments.help || arguments.version) {
        if (Failure failure = writeText(arguments.help ? usageText() : versionText(), out, true))
            return reportFailure(err, failure);
        return kExitSuccess;
    }
    if (!arguments.batch) return runSingle(arguments, out, err);

    // An output file is written under a temporary name until it is whole:
    // Ctrl-C stops the batch between two chunks, and its temporary file goes.
    const InterruptionWatch watch(!arguments.outputPath.empty());
    if (arguments.batchPath != "-" && isNetcdfFile(arguments.batchPath))
        return runNetcdf(arguments, std::vector<std::string>(argv, argv + argc), err, &interrupted);
    if (!arguments.qualityFlags.empty())
        return reportFailure(err, Failure("thalwen-convert: --qc: only with a netCDF file; " +
                                          quoted(arguments.batchPath) + " is none"));

    std::FILE* input = in;
    if (arguments.batchPath != "-") {
        input = std::fopen(arguments.batchPath.c_str(), "rb");
        if (!input) {
            std::fprintf(err, "thalwen-convert: --batch: cannot open '%s': %s\n", arguments.batchPath.c_str(),
                         std::strerror(errno));
            return kExitBadInput;
        }
    }
    ExitStatus status = kExitSuccess;
    if (arguments.outputPath.empty()) {
        status = runBatch(input, out, err, arguments);
    } else {
        ReplacedFile output(arguments.outputPath);
        if (Failure failure = output.open()) {
            status = reportFailure(err, failure);
        } else {
            status = runBatch(input, output.file(), err, arguments, kBatchChunkRows, &interrupted);
            if (status < kExitBadInput)
                if (Failure failure = output.commit()) status = reportFailure(err, failure);
        }
    }
    if (input != in) std::fclose(input);
    return status;
}

}  // namespace thalwen
