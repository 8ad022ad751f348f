// Fuzz target (libFuzzer) of the foreign-data import: the line reader and
// the check pass over whatever bytes arrive, on a small client in memory.
// The first byte chooses the form: the bytes as the whole file, or each of
// their lines brought to the length of a record so the checks behind the
// length test are reached. Besides the sanitizers it proves that the check
// pass writes nothing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "exchange/fremdimport.h"
#include "store/kontenbereiche.h"
#include "speichermandant.h"

namespace fibu {
namespace {

struct Fuzzmandant : Speichermandant {
  Fremdeinstellungen e;
  std::uint32_t personen = 0;

  Fuzzmandant() {
    oeffnen();
    if (!fs.verzeichnis_anlegen("/import")) __builtin_trap();
    Satz& b = m.basis;
    b.set(BasisFelder::steuerkonto(1), std::int32_t{1776});
    b.set(BasisFelder::steuersatz(1), std::int64_t{1900});
    b.set(BasisFelder::steuerkonto(9), std::int32_t{1576});
    b.set(BasisFelder::steuersatz(9), std::int64_t{1900});
    b.set(BasisFelder::forderungskonto(1), std::int32_t{1400});
    b.set(BasisFelder::verbindlichkeitskonto(1), std::int32_t{1600});
    b.set(BasisFelder::DebitorDiverse, std::int32_t{19999});
    b.set(BasisFelder::DifferenzkontoSach, std::int32_t{9999});
    b.set(BasisFelder::DifferenzkontoDebitor, std::int32_t{19999});
    if (!m.schreibe_basis()) __builtin_trap();
    for (auto [nr, art, schluessel] : {std::tuple{1000, 1, 0}, {1200, 0, 0}, {1400, 0, 0},
                                       {1600, 0, 0}, {1776, 2, 0}, {1576, 4, 0}, {4400, 3, 1},
                                       {4401, 3, 0}, {3400, 0, 9}, {9999, 0, 0}}) {
      m.sach->leeren();
      m.sach->satz().set(SachFelder::Kontenart, static_cast<std::uint8_t>(art));
      m.sach->satz().set(SachFelder::Steuerschluessel, static_cast<std::uint8_t>(schluessel));
      m.sach->satz().set(SachFelder::SteuerschluesselAenderbar, nr == 4401);
      m.sach->speichern(m.sachkonto_text(nr));
    }
    for (int nr : {10001, 19999, 70001}) {
      m.personen->leeren();
      m.personen->satz().set(PersonenFelder::Diverse, nr == 19999);
      m.personen->speichern(m.personenkonto_text(nr));
    }
    personen = m.personen->anzahl_saetze();
    e.von = DMYtoDate(1, 1, 2024);
    e.bis = DMYtoDate(31, 1, 2024);
    e.periode = 1;
    e.pfad = "/import";
  }
};

std::string als_saetze(std::string_view daten) {
  std::string aus;
  std::size_t pos = 0;
  while (pos <= daten.size()) {
    std::size_t ende = daten.find('\n', pos);
    if (ende == std::string_view::npos) ende = daten.size();
    std::string zeile(daten.substr(pos, ende - pos));
    zeile.resize(fremdsatz_laenge, ' ');
    aus += zeile + "\r\n";
    pos = ende + 1;
  }
  return aus;
}

}  // namespace
}  // namespace fibu

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  static Fuzzmandant f;
  if (groesse == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(daten) + 1, groesse - 1);

  // The parser alone, on the first record's worth of bytes.
  std::string satz(rest.substr(0, fremdsatz_laenge));
  satz.resize(fremdsatz_laenge, ' ');
  const Fremdzeile z = fremdzeile_lesen(satz, daten[0] & 2);
  fremdsatz_schreiben(z);

  const std::string inhalt = (daten[0] & 1) ? als_saetze(rest) : std::string(rest);
  if (!f.fs.schreibe_datei_atomar("/import/FREMDIMP.DAT", inhalt)) __builtin_trap();
  std::unique_ptr<Datei> datei;
  if (!f.fs.oeffnen("/import/FREMDIMP.DAT", Oeffnen::Lesen, datei)) __builtin_trap();
  f.e.negative_als_gutschrift = daten[0] & 2;
  Ausgabe3 protokoll(f.ui);
  protokoll.open_drucker();
  Fremdimport import(f.m, f.e, protokoll);
  import.pruefen(*datei);
  // The check pass leaves the books as they were.
  if (f.m.buchung->letzte_buchung() != 0 || f.m.personen->anzahl_saetze() != f.personen)
    __builtin_trap();
  return 0;
}
