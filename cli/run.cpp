#include "run.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "batch.h"
#include "exit_status.h"
#include "output.h"
#include "user_conversion.h"

namespace thalwen {

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
        writeText(notes, err, true);
    }
    if (int error = writeText(text, out, true)) return outputFailed(err, error);
    return kExitSuccess;
}

int runCommandLine(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    Arguments arguments;
    if (std::string error = parseArguments(argc, argv, arguments); !error.empty()) {
        std::fprintf(err, "thalwen-convert: %s\nTry 'thalwen-convert --help'.\n", error.c_str());
        return kExitBadInput;
    }
    if (arguments.help || arguments.version) {
        if (int error = writeText(arguments.help ? usageText() : versionText(), out, true))
            return outputFailed(err, error);
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
