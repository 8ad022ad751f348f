// Fuzz target (libFuzzer) of the batch tool's answers file: any bytes as
// the file, then a form with a field of every kind and a yes/no question
// answered from it, as a batch run would.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "suite/batch_interaktion.h"
#include "suite/entryform.h"
#include "suite/test_dateisystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  Antworten antworten;
  if (!antworten.aus_text(std::string(reinterpret_cast<const char*>(daten), groesse))) return 0;
  TestDateisystem fs;
  std::ostringstream log;
  BatchInteraktion ui(std::move(antworten), log, fs, "/aus");
  TEntryForm form("Test");
  form.AddString(1, "Name", "", 40);
  form.AddByte(2, "Periode", 1, 1, 12);
  form.AddWord(3, "Tage", 0, 0, 9999);
  form.AddLongInt(4, "Konto", 0, 0, 99999999);
  form.AddComp(5, "Betrag", 0, "9999999.99");
  form.AddDate(6, "Datum", kein_datum);
  form.AddYesNo(7, "Aktiv", false);
  form.AddChoice(8, "Währung", {"DM", "EURO"}, 1);
  (void)ui.formular(form);
  (void)ui.JaNein2("Soll die Übernahme fortgesetzt werden?");
  (void)ui.abschliessen();
  return 0;
}
