#include "run.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "batch.h"
#include "exit_status.h"
#include "output.h"
#include "user_conversion.h"

namespace thalwen {

namespace {

// Writes text and flushes it; returns 0 or the system's reason it could not.
int write(const std::string& text, std::FILE* file) {
    if (std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0) return 0;
    return errno != 0 ? errno : EIO;
}

int outputFailed(std::FILE* err, int error) {
    std::fprintf(err, "thalwen-convert: writing the output failed: %s\n", std::strerror(error));
    return kExitOutputFailed;
}

}  // namespace

int runSingle(const Arguments& arguments, std::FILE* out, std::FILE* err) {
    const UserUnits units = userUnitsOf(arguments);
    UserConversion conversion = convertSample(arguments.method, requestedSample(arguments), units, units);
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
        write(notes, err);
    }
    if (int error = write(text, out)) return outputFailed(err, error);
    return kExitSuccess;
}

int runCommandLine(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    Arguments arguments;
    if (std::string error = parseArguments(argc, argv, arguments); !error.empty()) {
        std::fprintf(err, "thalwen-convert: %s\nTry 'thalwen-convert --help'.\n", error.c_str());
        return kExitBadInput;
    }
    if (arguments.help || arguments.version) {
        if (int error = write(arguments.help ? usageText() : versionText(), out)) return outputFailed(err, error);
        return kExitSuccess;
    }
    if (!arguments.batch) return runSingle(arguments, out, err);

    std::FILE* input = in;
    if (arguments.batchPath != "-") {
        input = std::fopen(arguments.batchPath.c_str(), "rb");
        if (!input) {
            std::fprintf(err, "thalwen-convert: --batch: cannot open '%s': %s\n", arguments.batchPath.c_str(),
                         std::strerror(errno));
            return kExitBadInput;
        }
    }
    int status = runBatch(input, out, err, arguments);
    if (input != in) std::fclose(input);
    return status;
}

}  // namespace thalwen
