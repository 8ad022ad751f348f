// The readers of bank statement files: bytes in memory to statement lines,
// with the lines a reader refused and why. Pure functions of the bytes, so
// a broken or hostile file can do no more than be refused with a German
// reason. The period, the Haben/Soll switches and the hand-over to the
// statement table are the import's (btximport.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "banking/auszugszeile.h"

namespace fibu {

enum class Auszugsformat {
  TOnline,    // "T-Online (CSV-Format)"
  MultiCash,  // "STA-Format (Bank), Non-Swift, MultiCash"
  Swift,      // "STA-Format (Bank), Swift"
  Camt,       // "CAMT.053 (XML)", a single file or a ZIP of them
};

// A line of the file that is not imported, with what the error protocol
// shows of it: texts as the file gave them where they could not be read.
struct Fehlzeile {
  std::string konto, blz;  // the statement's account and bank code
  std::string datum;       // booking date, "dd.mm.yyyy" when readable
  std::string betrag;      // signed amount, "1.234,56" when readable
  std::string waehrung;
  std::string grund;  // why it is not imported
};

// What the error protocol shows of a line that was read: the import may
// still refuse it for its date.
struct Zeilenherkunft {
  std::string konto, blz, waehrung;
};

struct Auszugsdatei {
  std::vector<Auszugszeile> zeilen;
  std::vector<Zeilenherkunft> herkunft;  // one per entry of zeilen
  std::vector<Fehlzeile> abgelehnt;
  // Messages the import shows as it reads ("Betrag ungültig: " + line).
  std::vector<std::string> meldungen;
  std::string kontonummer;    // the account the file names (":25:", CSV field 1, CAMT IBAN)
  std::string auszugsnummer;  // the statement number (":28C:", CAMT sequence number)
  // Set when the file as a whole cannot be read: why, in German. Nothing
  // of such a file is imported.
  std::string fehler;
};

// The semicolon-separated export of the T-Online banking software: 13
// fields a line, plain or in double quotes ("" inside quotes is a quote).
// A line with another field count or an unreadable booking date or amount
// is refused; empty lines are skipped.
Auszugsdatei tonline_lesen(std::string_view daten);

// An MT940 file in its SWIFT variant (":86:" with ?-subfields) or its
// MultiCash variant (":NS:" block).
Auszugsdatei mt940_lesen(std::string_view daten, Auszugsformat variante);

// The reader of a format. Text of the file that is not UTF-8 is read in
// the Windows code page.
Auszugsdatei auszugsdatei_lesen(Auszugsformat format, std::string_view daten);

// The amount of a T-Online field: its digits as cents, negative when a "-"
// appears anywhere ("-1.234,56" → -123456, "12,5" → 125). nullopt for a
// field without digits, with other characters than digits, signs, "." ","
// and blanks, or too long to be an amount.
std::optional<Betrag> tonline_betrag(std::string_view feld);

// An amount as MT940 (`trenner` ",", required) and camt.053 ("." optional)
// write it: digits, one decimal separator, up to two decimals (zeros
// beyond them allowed); cents. nullopt for anything else, signs and
// thousands separators included.
std::optional<Betrag> dezimalbetrag(std::string_view text, char trenner, bool trenner_noetig);

// `text` with `teil` appended after a blank (nothing for an empty part).
std::string angehaengt(const std::string& text, const std::string& teil);

// The text of the file in UTF-8: kept when it is UTF-8, else read in the
// Windows code page.
std::string auszug_als_utf8(std::string_view daten);

}  // namespace fibu
