// The decimal separator used by every number formatted or parsed by the station: taken from the
// user's locale at start-up (LC_NUMERIC), settable by the program and by tests.
#pragma once

namespace wellvue {

char decimal_separator();
void set_decimal_separator(char c);
// Reads the separator of the environment's locale (LC_ALL / LC_NUMERIC / LANG) and sets it.
void init_decimal_separator_from_locale();

}  // namespace wellvue
