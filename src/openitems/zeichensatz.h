// Text for the restricted character sets of the banks' files (DTAUS,
// SEPA): each ASCII character as the set takes it (a blank when it does not
// belong to it), the German letters spelt as the set wants them, any other
// character a blank.
#pragma once

#include <string>
#include <string_view>

namespace fibu {

// `deutsch` gives the spellings of "ä", "Ä", "ö", "Ö", "ü", "Ü", "ß" in
// this order.
template <typename Ascii>
std::string zeichen_umsetzen(std::string_view utf8, Ascii ascii,
                             const std::string_view (&deutsch)[7]) {
  static constexpr std::string_view buchstaben[7] = {"ä", "Ä", "ö", "Ö", "ü", "Ü", "ß"};
  std::string aus;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      aus += ascii(static_cast<char>(c));
      ++i;
      continue;
    }
    bool gefunden = false;
    for (int b = 0; b < 7 && !gefunden; ++b)
      if (utf8.substr(i).starts_with(buchstaben[b])) {
        aus += deutsch[b];
        i += buchstaben[b].size();
        gefunden = true;
      }
    if (gefunden) continue;
    aus += ' ';
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return aus;
}

}  // namespace fibu
