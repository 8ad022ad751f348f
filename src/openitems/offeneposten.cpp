#include "openitems/offeneposten.h"

#include <algorithm>

#include "posting/buchen.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {

using O = OpstammFelder;
using B = BuchungFelder;

Datum datum_plus(Datum d, std::int64_t tage) {
  return static_cast<Datum>(std::clamp<std::int64_t>(d + tage, 0, 65535));
}

OpZahlung zahlung_aus(std::uint32_t nummer, const Satz& b) {
  return {nummer,
          b.get(B::Datum),
          vorzeichenbetrag(b),
          b.get(B::Periode),
          trim(b.get(B::Gegenkonto)),
          trim(b.get(B::Text1))};
}

void nach_datum(OpZahlungen& z) {
  std::sort(z.begin(), z.end(), [](const OpZahlung& a, const OpZahlung& b) {
    return a.datum != b.datum ? a.datum < b.datum : a.nummer < b.nummer;
  });
}

// The booking's kind letter in the index by document: "D" or "K" for a
// personal account.
char kennung_des_kontos(const Satz& basis, const std::string& konto) {
  return ist_debitor(basis, konto) ? 'D' : 'K';
}

std::string verzeichnisschluessel(char kennung, const std::string& belegnr,
                                  const std::string& konto) {
  return op_key(kennung, belegnr) + '|' + trim(konto);
}

}  // namespace

std::string op_key(char kennung, const std::string& belegnr) {
  return std::string(1, kennung) + trim(belegnr);
}

char op_kennung_von(const Satz& op) {
  const char k = static_cast<char>(op.u8(O::Kennung));
  return k == 'K' ? 'K' : 'D';
}

Skontobedingung skontobedingung(Mandant& m, const Satz& op) {
  using P = PersonenFelder;
  if (op.get(O::Diverse)) return {op.get(O::Skontoprozent), op.get(O::Skontodatum)};
  Skontobedingung s;
  Puffer pp(m.personen.get());
  if (m.personen->suchen(trim(op.get(O::Kontonummer)))) {
    const Satz& p = m.personen->satz();
    s.prozent = p.get(P::Skonto1);
    s.datum = datum_plus(op.get(O::Rechnungsdatum), p.get(P::Skontotage1));
  }
  return s;
}

Betrag skontobetrag(Betrag betrag, std::int64_t prozent) {
  return rund(static_cast<long double>(betrag) * static_cast<long double>(prozent) / 100000.0L);
}

bool op_zahlungen(Mandant& m, const Satz& op, OpZahlungen& aus) {
  Zahlungsverzeichnis z;
  const bool ok = z.einlesen_konto(m, op.get(O::Kontonummer));
  aus = z.zu(op);
  return ok;
}

bool Zahlungsverzeichnis::einlesen_konto(Mandant& m, const std::string& konto) {
  zahlungen_.clear();
  const long n = m.buchung->buchungen_des_kontos(
      kontowert(konto), kein_datum, 65535, [&](std::uint32_t nr, const Satz& b) {
        if (ist_zahlung(m.basis, b))
          zahlungen_[verzeichnisschluessel(kennung_des_kontos(m.basis, b.get(B::Konto)),
                                           b.get(B::Belegnr), b.get(B::Konto))]
              .push_back(zahlung_aus(nr, b));
        return true;
      });
  for (auto& [key, z] : zahlungen_) nach_datum(z);
  return n >= 0;
}

bool Zahlungsverzeichnis::einlesen(Mandant& m, char kennung) {
  zahlungen_.clear();
  auto& bu = *m.buchung;
  const Gesamtsicht gesamt(bu);  // archived payments count as well
  const bool ok = bu.buchungen_lesen(1, bu.anzahl_buchungen(), [&](std::int64_t n, const Satz& b) {
    if (!ist_zahlung(m.basis, b)) return true;
    const std::string konto = b.get(B::Konto);
    if (kennung_des_kontos(m.basis, konto) != kennung) return true;
    zahlungen_[verzeichnisschluessel(kennung, b.get(B::Belegnr), konto)].push_back(
        zahlung_aus(static_cast<std::uint32_t>(n), b));
    return true;
  });
  for (auto& [key, z] : zahlungen_) nach_datum(z);
  return ok;
}

const OpZahlungen& Zahlungsverzeichnis::zu(const Satz& op) const {
  auto it = zahlungen_.find(
      verzeichnisschluessel(op_kennung_von(op), op.get(O::Belegnummer), op.get(O::Kontonummer)));
  return it == zahlungen_.end() ? keine_ : it->second;
}

void op_durchlaufen(Mandant& m, char kennung, const std::function<bool(const Satz& op)>& nimm) {
  OpstammOffen offen(m);
  Leselauf op_lauf(m.opstamm.get()), personen_lauf(m.personen.get());
  auto& db = *m.opstamm;
  const std::string grenze(1, kennung);
  std::string key = grenze;
  db.ref_loeschen();
  while (db.lies_weiter_bis(1, key, grenze, grenze))
    if (!nimm(db.satz())) break;
}

OpstammOffen::OpstammOffen(Mandant& m) : m_(m) {
  if (!m_.opstamm->offen()) {
    m_.opstamm->oeffnen();
    geoeffnet_ = m_.opstamm->offen();
  }
}

OpstammOffen::~OpstammOffen() {
  if (geoeffnet_) m_.opstamm->schliessen();
}

char mahnzeichen(const Satz& op) {
  switch (op.get(O::Mahnen)) {
    case 1:
      return 'G';
    case 2:
      return 'L';
    default:
      return ' ';
  }
}

char belegart(const Satz& op) {
  return op.get(O::Rechnung) ? 'R' : 'G';
}

}  // namespace fibu
