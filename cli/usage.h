// What --help and --version say.
#pragma once

#include <string>

namespace thalwen {

std::string usageText();

std::string versionText();

}  // namespace thalwen
