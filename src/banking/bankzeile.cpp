#include "banking/bankzeile.h"

#include "frame/mandant.h"
#include "isam/verzeichnis.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {
using Z = BankzeileFelder;
}

bool Bankzeile::leer() const {
  return soll == 0 && haben == 0 && betrag == 0 && tag == 0 && !gutschrift && belegnr.empty() &&
         konto.empty() && te.empty() && kost.empty() && text_btx.empty() && text_fibu.empty() &&
         referenz.empty() && name.empty() && iban.empty();
}

Satz bankzeile_satz(const Bankzeile& z, Datum auszugsdatum) {
  Satz s(Z::groesse);
  s.set(Z::Auszugsdatum, auszugsdatum);
  s.set(Z::Soll, z.soll);
  s.set(Z::Haben, z.haben);
  s.set(Z::Belegnr, z.belegnr);
  s.set(Z::Betrag, z.betrag);
  s.set(Z::Konto, z.konto);
  s.set(Z::Te, z.te);
  s.set(Z::Kost, z.kost);
  s.set(Z::Tag, static_cast<std::uint8_t>(z.tag));
  s.set(Z::TextBtx, z.text_btx);
  s.set(Z::TextFibu, z.text_fibu);
  s.set(Z::Gutschrift, z.gutschrift);
  s.set(Z::Differenzanteil, z.differenzanteil());
  s.set(Z::Saldoanteil, z.saldoanteil());
  s.set(Z::Referenz, z.referenz);
  s.set(Z::Name, z.name);
  s.set(Z::Iban, z.iban);
  return s;
}

Bankzeile bankzeile_aus(const Satz& s) {
  Bankzeile z;
  z.soll = s.get(Z::Soll);
  z.haben = s.get(Z::Haben);
  z.belegnr = trim(s.get(Z::Belegnr));
  z.betrag = s.get(Z::Betrag);
  z.konto = trim(s.get(Z::Konto));
  z.te = s.get(Z::Te);
  z.kost = trim(s.get(Z::Kost));
  z.tag = s.get(Z::Tag);
  z.text_btx = s.get(Z::TextBtx);
  z.text_fibu = s.get(Z::TextFibu);
  z.gutschrift = s.get(Z::Gutschrift);
  z.referenz = s.get(Z::Referenz);
  z.name = s.get(Z::Name);
  z.iban = s.get(Z::Iban);
  return z;
}

Banktabelle::~Banktabelle() {
  schliessen();
}

std::string Banktabelle::dateiname(const std::string& konto) {
  return trim(konto) + ".STA";
}

bool Banktabelle::oeffnen(const std::string& konto, std::vector<Bankzeile>& zeilen, Datum& datum) {
  schliessen();
  zeilen.clear();
  datum = kein_datum;
  name_ = dateiname(konto);
  datei_ = std::make_unique<isam::Festsatzdatei>(m_.verzeichnis());
  if (!datei_->oeffnen(name_, Z::groesse, true)) {
    datei_.reset();
    return false;
  }
  const std::uint64_t n = datei_->anzahl();
  if (n == 0) return true;
  std::string alle(n * Z::groesse, '\0');
  if (!datei_->lesen_mehrere(1, n, alle.data())) return false;
  zeilen.reserve(n);
  for (std::uint64_t i = 0; i < n; ++i) {
    const Satz s(Z::groesse, std::string_view(alle).substr(i * Z::groesse, Z::groesse));
    if (i == 0) datum = s.get(Z::Auszugsdatum);
    zeilen.push_back(bankzeile_aus(s));
  }
  return true;
}

void Banktabelle::schliessen() {
  if (datei_) datei_->schliessen();
  datei_.reset();
}

bool Banktabelle::ablegen(const std::vector<Bankzeile>& zeilen, Datum datum) {
  if (!offen()) return false;
  std::size_t benutzt = zeilen.size();
  while (benutzt > 0 && zeilen[benutzt - 1].leer()) --benutzt;
  isam::Einheit einheit(m_.verzeichnis());
  if (einheit.fehler() != isam::isam_ok) return false;
  bool ok = true;
  for (std::size_t i = 0; ok && i < benutzt; ++i)
    ok = datei_->schreiben(i + 1, bankzeile_satz(zeilen[i], datum).bytes().data());
  if (ok && datei_->anzahl() > benutzt) ok = datei_->kuerzen(benutzt);
  if (!ok) {
    einheit.abbrechen();
    return false;
  }
  return einheit.ende(isam::isam_ok) == isam::isam_ok;
}

bool Banktabelle::leeren() {
  return offen() && datei_->kuerzen(0);
}

std::string Banktabelle::sik_name() const {
  return name_.substr(0, name_.size() - 4) + ".SIK";
}

bool Banktabelle::sicherungskopie() {
  if (!offen()) return false;
  Dateisystem& fs = m_.fs();
  const std::string verzeichnis = m_.daten_verzeichnis();
  auto pfad = fs.finde_datei(verzeichnis, name_);
  if (!pfad) return false;
  return static_cast<bool>(fs.kopiere_datei(*pfad, pfad_verbinden(verzeichnis, sik_neu_name())));
}

bool Banktabelle::sicherung_festschreiben() {
  const std::string verzeichnis = m_.daten_verzeichnis();
  return static_cast<bool>(m_.fs().umbenennen(pfad_verbinden(verzeichnis, sik_neu_name()),
                                              pfad_verbinden(verzeichnis, sik_name())));
}

void Banktabelle::sicherung_verwerfen() {
  const std::string neu = pfad_verbinden(m_.daten_verzeichnis(), sik_neu_name());
  if (m_.fs().existiert(neu)) (void)m_.fs().loeschen(neu);
}

}  // namespace fibu
