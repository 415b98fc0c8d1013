#include "run.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "batch.h"
#include "output.h"
#include "user_conversion.h"

namespace thalwen {

namespace {

bool write(const std::string& text, std::FILE* file) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace

int runSingle(const Arguments& arguments, std::FILE* out, std::FILE* err) {
    UserConversion conversion = convertSample(arguments.method, requestedSample(arguments), arguments.style.fahrenheit,
                                              *arguments.style.conductivityUnit);
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
    if (arguments.format == Format::Text) {
        std::string notes;
        appendClampedNotes(notes, conversion, arguments.style);
        write(notes, err);
    }
    if (!write(text, out) || std::fflush(out) != 0) {
        std::fprintf(err, "thalwen-convert: writing the output failed\n");
        return 1;
    }
    return 0;
}

int runCommandLine(int argc, const char* const* argv, std::FILE* in, std::FILE* out, std::FILE* err) {
    Arguments arguments;
    if (std::string error = parseArguments(argc, argv, arguments); !error.empty()) {
        std::fprintf(err, "thalwen-convert: %s\nTry 'thalwen-convert --help'.\n", error.c_str());
        return 2;
    }
    if (arguments.help || arguments.version) {
        std::string text = arguments.help ? usageText() : versionText();
        return write(text, out) && std::fflush(out) == 0 ? 0 : 1;
    }
    if (!arguments.batch) return runSingle(arguments, out, err);

    std::FILE* input = in;
    if (arguments.batchPath != "-") {
        input = std::fopen(arguments.batchPath.c_str(), "rb");
        if (!input) {
            std::fprintf(err, "thalwen-convert: --batch: cannot open '%s': %s\n", arguments.batchPath.c_str(),
                         std::strerror(errno));
            return 2;
        }
    }
    int status = runBatch(input, out, err, arguments);
    if (input != in) std::fclose(input);
    return status;
}

}  // namespace thalwen
