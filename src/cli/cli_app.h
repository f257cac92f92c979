// quillora-cli: parses the command line and runs one command over the program's core.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quillora::cli {

// args without the program name. Returns the exit status: 0 done, 1 failed, 2 usage error.
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err, bool interactive = false);

}  // namespace quillora::cli
