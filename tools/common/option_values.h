// The values that follow the tools' command-line options: the text after an option, a yes/no
// answer, a number. Each parser walks its arguments with an index `i` on the
// option; a taker moves it onto the value and says, in `error`, what is missing or wrong.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wellvue::tool_options {

// The argument after args[i] into `out`; false with error = args[i] + `missing` when there is none.
bool take_value(const std::vector<std::string>& args, std::size_t& i, std::string& out, std::string& error,
                std::string_view missing = " attend une valeur");
// "yes" or "oui", "no" or "non" after args[i]; any other word is refused in French.
bool take_answer(const std::vector<std::string>& args, std::size_t& i, bool& yes, std::string& error);
// The text as one number ("12", "2.5" for a double), nothing before or after it.
bool parse_number(std::string_view text, int& out);
bool parse_number(std::string_view text, double& out);

}  // namespace wellvue::tool_options
