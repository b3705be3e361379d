// The operator's French words (CP1252) for why a file call failed, from its errno: "plus de place
// sur le disque", "accès refusé"... The C library's own texts follow the locale, often English.
#pragma once
#include <string>

namespace wellvue {

std::string errno_text_fr(int error);

}  // namespace wellvue
