#include "run.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "batch_run.h"
#include "output.h"
#include "usage.h"
#include "user_conversion.h"

namespace thalwen {

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

    std::FILE* input = in;
    if (arguments.batchPath != "-") {
        input = std::fopen(arguments.batchPath.c_str(), "rb");
        if (!input) {
            std::fprintf(err, "thalwen-convert: --batch: cannot open '%s': %s\n", arguments.batchPath.c_str(),
                         std::strerror(errno));
            return kExitBadInput;
        }
    }
    const ExitStatus status = runBatch(input, out, err, arguments);
    if (input != in) std::fclose(input);
    return status;
}

}  // namespace thalwen
