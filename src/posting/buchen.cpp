#include "posting/buchen.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

#include "frame/mandant.h"
#include "isam/verzeichnis.h"
#include "posting/steuer.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"

namespace fibu {

namespace {

using B = BuchungFelder;

int periode_von(const Satz& b) {
  return b.get(B::Periode);
}

// Adds an amount to an account of the kind F (GL or personal): an opening
// booking to the opening balance and the balance, any other to the debit or
// credit total of its period and the balance. Nothing outside periods 1..12.
template <typename F>
void betrag_buchen(Satz& konto, const Satz& b, Betrag betrag) {
  int p = periode_von(b);
  if (p < 1 || p > 12) return;
  Betrag saldo = konto.get(F::Saldo);
  if (buchungsart(b) == 'E') {
    Betrag eb = konto.get(F::Eroeffnungssaldo);
    konto.set(F::Eroeffnungssaldo, ist_soll(b) ? eb + betrag : eb - betrag);
  } else if (ist_soll(b)) {
    konto.set(F::soll(p), konto.get(F::soll(p)) + betrag);
  } else {
    konto.set(F::haben(p), konto.get(F::haben(p)) + betrag);
  }
  konto.set(F::Saldo, ist_soll(b) ? saldo + betrag : saldo - betrag);
}

// What a booking may change in the base data: the period states and the
// last document numbers. Kept before a booking, put back when it fails.
class Basisstand {
 public:
  explicit Basisstand(const Satz& basis) {
    for (int p = 1; p <= 12; ++p)
      status_[static_cast<std::size_t>(p - 1)] = basis.get(BasisFelder::periode_status(p));
    for (int i = 0; i < 3; ++i) {
      TextFeld f = BasisFelder::belegnummer(2 + 3 * i);
      belege_[static_cast<std::size_t>(i)] = basis.roh(f.offset, f.kapazitaet + 1);
    }
  }
  void zurueck(Satz& basis) const {
    for (int p = 1; p <= 12; ++p)
      basis.set(BasisFelder::periode_status(p), status_[static_cast<std::size_t>(p - 1)]);
    for (int i = 0; i < 3; ++i)
      basis.setze_roh(BasisFelder::belegnummer(2 + 3 * i).offset,
                      belege_[static_cast<std::size_t>(i)]);
  }

 private:
  std::array<std::uint8_t, 12> status_{};
  std::array<std::string, 3> belege_;
};

Datum datum_plus(Datum d, std::int64_t tage) {
  return static_cast<Datum>(std::clamp<std::int64_t>(d + tage, 0, 65535));
}

}  // namespace

// --- What a booking is ---

char buchungsart(const Satz& b) {
  char a = static_cast<char>(b.u8(B::Buchungsart));
  return a == ' ' ? '\0' : a;
}

bool ist_soll(const Satz& b) {
  return b.u8(B::SollHaben) == 'S';
}

Betrag vorzeichenbetrag(const Satz& b) {
  return ist_soll(b) ? b.get(B::Betrag) : -b.get(B::Betrag);
}

bool eroeffnet_op(const Satz& basis, const Satz& b) {
  if (ist_sachkonto(basis, b.get(B::Konto))) return false;
  char a = buchungsart(b);
  return a == 'R' || a == 'G' || (a == 'E' && b.get(B::Eroeffnungsart) <= 1);
}

bool ist_zahlung(const Satz& basis, const Satz& b) {
  if (ist_sachkonto(basis, b.get(B::Konto))) return false;
  char a = buchungsart(b);
  return a == 'Z' || (a == 'E' && b.get(B::Eroeffnungsart) == 2);
}

std::string op_schluessel(const Satz& basis, const Satz& b) {
  return (ist_debitor(basis, b.get(B::Konto)) ? "D" : "K") + trim(b.get(B::Belegnr));
}

std::optional<std::int64_t> belegnummer_wert(const std::string& belegnr) {
  std::string t = trim(belegnr);
  if (t.empty() || t.size() > 18 ||
      !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::stoll(t);
}

std::optional<int> steuerschluessel_von(const Satz& b) {
  std::string t = trim(b.get(B::Steuerschluessel));
  if (t.empty()) return 0;
  auto w = belegnummer_wert(t);
  if (!w) return std::nullopt;
  return static_cast<int>(*w);
}

// --- The engine ---

Buchungsumgebung buchungsumgebung(Mandant& m) {
  Buchungsumgebung u;
  u.basis = &m.basis;
  u.buchung = m.buchung.get();
  u.sach = m.sach.get();
  u.personen = m.personen.get();
  u.opstamm = m.opstamm.get();
  u.kosten = m.kosten.get();
  u.kostart = m.kostart.get();
  u.tagesdatum = &m.tagesdatum();
  u.basis_sichern = [&m] { return m.schreibe_basis(); };
  u.basis_ablegen = [&m] { return m.basis_ablegen(); };
  if (u.opstamm && !u.opstamm->offen()) u.opstamm->oeffnen();
  if (u.kostart && !u.kostart->offen()) u.kostart->oeffnen();
  return u;
}

// The accounts held in memory, by key 1 of their file; an account that
// was looked for and is missing is held as such.
struct Buchungskern::Kontenspeicher {
  struct Konto {
    std::optional<Satz> satz;
    bool geaendert = false;
  };
  using Konten = std::unordered_map<std::string, Konto>;
  Konten sach, personen;

  static bool lesen(Konten& konten, tdatenbank& db, const std::string& key, Satz& aus) {
    auto it = konten.find(key);
    if (it == konten.end()) {
      Konto k;
      if (db.suchen(key)) k.satz = db.satz();
      it = konten.emplace(key, std::move(k)).first;
    }
    if (!it->second.satz) return false;
    aus = *it->second.satz;
    return true;
  }
  static void schreiben(Konten& konten, const std::string& key, const Satz& konto) {
    Konto& k = konten[key];
    k.satz = konto;
    k.geaendert = true;
  }
  static bool ablegen(Konten& konten, tdatenbank& db) {
    Puffer puffer(&db);
    for (auto& [key, k] : konten) {
      if (!k.geaendert) continue;
      db.satz() = *k.satz;
      if (!db.speichern(key)) return false;
      k.geaendert = false;
    }
    return true;
  }
};

Buchungskern::Buchungskern(Buchungsumgebung umgebung) : u_(std::move(umgebung)) {}

Buchungskern::Buchungskern(Mandant& m) : Buchungskern(buchungsumgebung(m)) {}

Buchungskern::~Buchungskern() = default;

void Buchungskern::konten_halten() {
  if (!konten_) konten_ = std::make_unique<Kontenspeicher>();
}

bool Buchungskern::konten_ablegen() {
  if (!konten_) return true;
  return Kontenspeicher::ablegen(konten_->sach, *u_.sach) &&
         Kontenspeicher::ablegen(konten_->personen, *u_.personen) && !gestoert();
}

void Buchungskern::konten_nur_perioden(int von, int bis) {
  nur_von_ = von;
  nur_bis_ = bis;
}

bool Buchungskern::konten_wirken(const Satz& b) const {
  if (nur_von_ == 0 || !u_.buchung->nur_salden || buchungsart(b) == 'E') return true;
  const int p = periode_von(b);
  return p >= nur_von_ && p <= nur_bis_;
}

bool Buchungskern::gestoert() const {
  return !wirkung_ok_ || u_.buchung->verzeichnis().vergiftet();
}

bool Buchungskern::sachkonto_lesen(std::int32_t nummer, Satz& aus) {
  if (nummer == 0) return false;
  const std::string key = sachkonto_text(*u_.basis, nummer);
  if (konten_) return Kontenspeicher::lesen(konten_->sach, *u_.sach, trim(key), aus);
  if (!u_.sach->suchen(key)) return false;
  aus = u_.sach->satz();
  return true;
}

bool Buchungskern::sachkonto_schreiben(const Satz& konto) {
  const std::string key = trim(konto.get(SachFelder::Kontonummer));
  if (konten_) {
    Kontenspeicher::schreiben(konten_->sach, key, konto);
    return !gestoert();
  }
  u_.sach->satz() = konto;
  u_.sach->speichern(key);
  return !gestoert();
}

bool Buchungskern::personenkonto_lesen(const std::string& nummer, Satz& aus) {
  if (konten_) return Kontenspeicher::lesen(konten_->personen, *u_.personen, nummer, aus);
  if (!u_.personen->suchen(nummer)) return false;
  aus = u_.personen->satz();
  return true;
}

bool Buchungskern::personenkonto_schreiben(const std::string& nummer, const Satz& konto) {
  if (konten_) {
    Kontenspeicher::schreiben(konten_->personen, nummer, konto);
    return !gestoert();
  }
  u_.personen->satz() = konto;
  u_.personen->speichern(nummer);
  return !gestoert();
}

void Buchungskern::steuer_buchen(Satz& steuerkonto, Satz& b, Betrag steuer) {
  using S = SachFelder;
  int art = steuerkonto.get(S::Kontenart);
  if (art != 2 && art != 4) return;
  int p = periode_von(b);
  if (p >= 1 && p <= 12) {
    Betrag saldo = steuerkonto.get(S::Saldo);
    if (ist_soll(b)) {
      steuerkonto.set(S::soll(p), steuerkonto.get(S::soll(p)) + steuer);
      steuerkonto.set(S::Saldo, saldo + steuer);
    } else {
      steuerkonto.set(S::haben(p), steuerkonto.get(S::haben(p)) + steuer);
      steuerkonto.set(S::Saldo, saldo - steuer);
    }
  }
  if (!ist_soll(b)) b.set(B::GebuchteSteuer, -steuer);
  steuerkonto.set(S::Bebucht, true);
  // A failed write poisons the unit, which buchen checks before it commits.
  (void)sachkonto_schreiben(steuerkonto);
}

void Buchungskern::sachkonto_buchen(Satz& b) {
  using S = SachFelder;
  const Satz& basis = *u_.basis;
  Satz konto(S::groesse);
  bool gelesen = sachkonto_lesen(kontowert(b.get(B::Konto)), konto);
  if (gelesen) {
    betrag_buchen<S>(konto, b, b.get(B::Betrag));
    konto.set(S::Bebucht, true);
    if (!sachkonto_schreiben(konto)) return;
  }
  b.set(B::GebuchteSteuer, b.get(B::Steuerbetrag));
  b.set(B::Steuerkontofeld, "");
  Satz steuerkonto(S::groesse);
  if (gelesen && konto.get(S::Kontenart) == 5) {
    // An intra-EU acquisition books the output VAT of its key j on the
    // other side and the input VAT of key j + 1 on its own side; the
    // booking itself carries no tax.
    const std::uint8_t sh = b.u8(B::SollHaben);
    const std::uint8_t gegen = sh == 'S' ? 'H' : 'S';
    int j = konto.get(S::Steuerschluessel);
    for (int k : {j, j + 1}) {
      if (k < 1 || k > 40) continue;
      b.setze_u8(B::SollHaben, k == j ? gegen : sh);
      std::int32_t nr = basis.get(BasisFelder::steuerkonto(k));
      if (!sachkonto_lesen(nr, steuerkonto)) continue;
      Betrag steuer = steuer_aus_netto(b.get(B::Betrag), basis.get(BasisFelder::steuersatz(k)));
      b.set(B::Steuerbetrag, steuer);
      if (k == j) b.set(B::Steuerkontofeld, sachkonto_text(basis, nr));
      steuer_buchen(steuerkonto, b, steuer);
      if (gestoert()) break;
    }
    b.set(B::Steuerbetrag, Betrag{0});
    b.setze_u8(B::SollHaben, sh);
    return;
  }
  Betrag steuer = b.get(B::Steuerbetrag);
  auto k = steuerschluessel_von(b);
  if (steuer != 0 && k && *k >= 1 && *k <= 40) {
    std::int32_t nr = basis.get(BasisFelder::steuerkonto(*k));
    if (sachkonto_lesen(nr, steuerkonto)) {
      b.set(B::Steuerkontofeld, sachkonto_text(basis, nr));
      steuer_buchen(steuerkonto, b, steuer);
    }
  }
}

void Buchungskern::personenkonto_buchen(Satz& b) {
  using P = PersonenFelder;
  const Satz& basis = *u_.basis;
  std::string konto = trim(b.get(B::Konto));
  Satz person(u_.personen->satz().groesse());
  if (!personenkonto_lesen(konto, person)) return;
  betrag_buchen<P>(person, b, b.get(B::Betrag));
  person.set(P::Bebucht, true);
  int c = person.get(P::Sammelkonto);
  if (!personenkonto_schreiben(konto, person) || c < 1 || c > 40) return;
  std::int32_t nr = ist_debitor(basis, konto) ? basis.get(BasisFelder::forderungskonto(c))
                                              : basis.get(BasisFelder::verbindlichkeitskonto(c));
  Satz sammel(SachFelder::groesse);
  if (!sachkonto_lesen(nr, sammel)) return;
  betrag_buchen<SachFelder>(sammel, b, b.get(B::Betrag));
  sammel.set(SachFelder::Bebucht, true);
  (void)sachkonto_schreiben(sammel);  // as in steuer_buchen
}

void Buchungskern::op_zahlung(const Satz& b) {
  auto& op = *u_.opstamm;
  std::string key = op_schluessel(*u_.basis, b);
  if (!op.offen() || !op.suchen(key)) return;
  op.satz().set(OpstammFelder::NochOffen,
                op.satz().get(OpstammFelder::NochOffen) + vorzeichenbetrag(b));
  op.speichern(key);
}

void Buchungskern::wirkung(Satz& b, bool als_storno) {
  const Satz& basis = *u_.basis;
  if (konten_wirken(b)) {
    if (ist_sachkonto(basis, b.get(B::Konto)))
      sachkonto_buchen(b);
    else
      personenkonto_buchen(b);
  }
  if (gestoert()) return;
  if (als_storno && eroeffnet_op(basis, b)) {
    // The item the booking opened shrinks by what the booking added.
    auto& op = *u_.opstamm;
    std::string key = op_schluessel(basis, b);
    if (op.offen() && op.suchen(key)) {
      using O = OpstammFelder;
      Betrag betrag = vorzeichenbetrag(b);
      op.satz().set(O::Betrag, op.satz().get(O::Betrag) + betrag);
      op.satz().set(O::NochOffen, op.satz().get(O::NochOffen) + betrag);
      op.speichern(key);
    }
  }
  if (!gestoert() && ist_zahlung(basis, b)) op_zahlung(b);
}

bool Buchungskern::basis_geaendert(bool mit_sicherung) {
  if (lauf_) {
    (mit_sicherung ? lauf_->sichern_ : lauf_->ablegen_) = true;
    return true;
  }
  auto& schreiben = mit_sicherung ? u_.basis_sichern : u_.basis_ablegen;
  return !schreiben || schreiben();
}

void Buchungskern::abschluss(Satz& b, std::int64_t n) {
  Satz& basis = *u_.basis;
  auto& bu = *u_.buchung;
  int p = periode_von(b);
  if (p >= 1 && p <= 12 && basis.get(BasisFelder::periode_status(p)) == 0) {
    basis.set(BasisFelder::periode_status(p), std::uint8_t{1});
    if (!basis_geaendert(true)) {
      wirkung_ok_ = false;
      return;
    }
  }
  // A write beyond the end leaves no hole: blank records dated today.
  Satz arbeit = b;
  for (std::int64_t m = bu.anzahl_buchungen() + 1; m < n; ++m) {
    bu.satz().leeren();
    bu.satz().set(B::Datum, u_.tagesdatum->Today());
    if (!bu.buchung_ablegen(m)) {
      wirkung_ok_ = false;
      return;
    }
  }
  bu.satz() = std::move(arbeit);
  if (!bu.buchung_ablegen(n)) {
    wirkung_ok_ = false;
    return;
  }
  // The last document numbers: GL-to-GL, Debitor, Kreditor.
  auto beleg = belegnummer_wert(b.get(B::Belegnr));
  if (!beleg) return;
  std::string konto = b.get(B::Konto);
  int k = -1;
  if (ist_sachkonto(basis, konto)) {
    if (ist_sachkonto(basis, b.get(B::Gegenkonto))) k = 2;
  } else {
    k = ist_debitor(basis, konto) ? 5 : 8;
  }
  if (k < 0) return;
  auto letzte = belegnummer_wert(basis.get(BasisFelder::belegnummer(k)));
  if (letzte && *beleg <= *letzte) return;
  basis.set(BasisFelder::belegnummer(k), std::to_string(*beleg));
  if (!basis_geaendert(false)) wirkung_ok_ = false;
}

bool Buchungskern::buchung_schreiben(std::int64_t n) {
  using S = SachFelder;
  auto& bu = *u_.buchung;
  if (!bu.ist_offen()) return false;
  const bool nur_salden = bu.nur_salden;
  if (!nur_salden && n < 1) return false;
  const Satz& basis = *u_.basis;
  Satz& b = bu.satz();
  // In the balance-only mode a booking that reaches no account here, pays
  // no item and opens none changes nothing.
  if (nur_salden && !konten_wirken(b) && !ist_zahlung(basis, b) && !eroeffnet_op(basis, b))
    return true;
  Puffer sach(u_.sach), personen(u_.personen), op(u_.opstamm);
  const Basisstand basis_vorher(basis);
  const Satz eingabe = b;

  isam::Einheit einheit(bu.verzeichnis());
  if (einheit.fehler() != isam::isam_ok) return false;
  wirkung_ok_ = true;

  // Second date: an opening booking keeps one already there.
  if (buchungsart(b) != 'E' || b.get(B::Datum2) == 0) b.set(B::Datum2, b.get(B::Datum));

  // Tax split: the record keeps the net amount.
  auto k = steuerschluessel_von(b);
  bool eg_erwerb = false;
  if (ist_sachkonto(basis, b.get(B::Konto)) && k && *k >= 1 && *k <= 40) {
    Satz konto(S::groesse);
    eg_erwerb = sachkonto_lesen(kontowert(b.get(B::Konto)), konto) && konto.get(S::Kontenart) == 5;
  }
  if (k && *k >= 1 && *k <= 40 && !eg_erwerb) {
    // Taking a stored booking back out (balance-only mode) splits at the
    // rate it was written with: the table's rate may have changed since.
    std::int64_t satz = nur_salden ? b.get(B::Steuersatz) : basis.get(BasisFelder::steuersatz(*k));
    Betrag steuer = steuer_aus_brutto(b.get(B::Betrag), satz);
    b.set(B::Steuersatz, satz);
    b.set(B::Steuerbetrag, steuer);
    b.set(B::Betrag, b.get(B::Betrag) - steuer);
  } else {
    b.set(B::Steuersatz, std::int64_t{0});
    b.set(B::Steuerbetrag, Betrag{0});
    b.set(B::GebuchteSteuer, Betrag{0});
  }

  // The booking stored at n is taken back first.
  if (!nur_salden && n <= bu.anzahl_buchungen()) {
    Satz alt(B::groesse);
    if (!bu.buchung_lesen_in(n, alt)) {
      wirkung_ok_ = false;
    } else if (!bu.satz_ist_leer(alt)) {
      alt.set(B::Betrag, -alt.get(B::Betrag));
      alt.set(B::Steuerbetrag, -alt.get(B::Steuerbetrag));
      wirkung(alt, true);
    }
  }
  if (!gestoert()) wirkung(b, false);
  if (!gestoert() && !nur_salden) abschluss(b, n);

  if (gestoert()) {
    einheit.abbrechen();
    basis_vorher.zurueck(*u_.basis);
    b = eingabe;
    return false;
  }
  if (einheit.ende(isam::isam_ok) != isam::isam_ok) {
    basis_vorher.zurueck(*u_.basis);
    b = eingabe;
    return false;
  }
  return true;
}

bool Buchungskern::op_buchen(const Satz& b) {
  using O = OpstammFelder;
  using P = PersonenFelder;
  const Satz& basis = *u_.basis;
  if (!eroeffnet_op(basis, b)) return true;
  auto& op = *u_.opstamm;
  if (!op.ist_offen()) return false;
  Puffer personen_puffer(u_.personen), op_puffer(u_.opstamm);

  // The item as the booking and the personal account make it.
  std::string konto = trim(b.get(B::Konto));
  char art = buchungsart(b);
  Datum datum = b.get(B::Datum);
  Satz neu(O::groesse);
  neu.set(O::Kontonummer, konto);
  neu.set(O::Belegnummer, trim(b.get(B::Belegnr)));
  neu.set(O::Gegenkonto, b.get(B::Gegenkonto));
  neu.set(O::Buchungstext, b.get(B::Text1));
  neu.set(O::Rechnungsdatum, datum);
  neu.set(O::Faelligkeitsdatum, datum);
  neu.set(O::Skontodatum, datum);
  Satz p(u_.personen->satz().groesse());
  if (personenkonto_lesen(konto, p)) {
    op_adresse_uebernehmen(neu, p);
    neu.set(O::Suchname, p.get(P::Suchname));
    neu.set(O::Diverse, p.get(P::Diverse));
    neu.set(O::Mahnkennziffer, p.get(P::Mkz));
    neu.set(O::Mahnen, p.get(P::Mahnen));
    neu.set(O::Skontoprozent, p.get(P::Skonto1));
    if (art == 'R' || art == 'G')
      neu.set(O::Faelligkeitsdatum, datum_plus(datum, p.get(P::Nettotage)));
    neu.set(O::Skontodatum, datum_plus(datum, p.get(P::Skontotage1)));
  }
  neu.set(O::Mahnstufe, std::uint8_t{0});

  isam::Einheit einheit(op.verzeichnis());
  if (einheit.fehler() != isam::isam_ok) return false;
  std::string key = op_schluessel(basis, b);
  if (op.suchen(key)) {
    op.satz().set(O::Faelligkeitsdatum, neu.get(O::Faelligkeitsdatum));
    op.satz().set(O::Rechnungsdatum, neu.get(O::Rechnungsdatum));
    op.satz().set(O::Skontodatum, neu.get(O::Skontodatum));
  } else {
    bool rechnung = art == 'R' || (art == 'E' && b.get(B::Eroeffnungsart) == 0);
    neu.set(O::Rechnung, rechnung);
    neu.setze_u8(O::Kennung, static_cast<std::uint8_t>(key[0]));
    op.satz() = std::move(neu);
  }
  Satz& s = op.satz();
  s.set(O::Buchungsdatum, datum);
  s.set(O::Betrag, s.get(O::Betrag) + vorzeichenbetrag(b));
  s.set(O::NochOffen, s.get(O::NochOffen) + vorzeichenbetrag(b));
  op.speichern(key);
  if (op.verzeichnis().vergiftet()) {
    einheit.abbrechen();
    return false;
  }
  return einheit.ende(isam::isam_ok) == isam::isam_ok;
}

bool Buchungskern::als_einheit(const std::function<bool()>& schritte) {
  auto& bu = *u_.buchung;
  if (!bu.ist_offen()) return false;
  const Basisstand basis_vorher(*u_.basis);
  const Satz eingabe = bu.satz();
  isam::Einheit einheit(bu.verzeichnis());
  if (einheit.fehler() != isam::isam_ok) return false;
  bool ok = schritte();
  if (!ok) {
    einheit.abbrechen();
  } else if (einheit.ende(isam::isam_ok) != isam::isam_ok) {
    ok = false;
  }
  if (!ok) {
    basis_vorher.zurueck(*u_.basis);
    bu.satz() = eingabe;
  }
  return ok;
}

bool Buchungskern::buchen(std::int64_t n) {
  return als_einheit([&] {
    Satz& b = u_.buchung->satz();
    return buchung_schreiben(n) && (!eroeffnet_op(*u_.basis, b) || op_buchen(b));
  });
}

bool Buchungskern::buchung_loeschen(std::int64_t n) {
  auto& bu = *u_.buchung;
  Satz alt(B::groesse);
  if (!bu.ist_offen() || !bu.buchung_lesen_in(n, alt)) return false;
  return als_einheit([&] {
    bu.satz().leeren();
    if (!buchung_schreiben(n)) return false;
    if (!eroeffnet_op(*u_.basis, alt) || !u_.opstamm->offen()) return true;
    // The item goes with its last booking: while another line or a payment
    // of the document is on the account it stays (with what they hold).
    const std::string beleg = trim(alt.get(B::Belegnr));
    bool weitere = false;
    const long gelesen = bu.buchungen_des_kontos(
        kontowert(alt.get(B::Konto)), kein_datum, 65535, [&](std::uint32_t, const Satz& b) {
          weitere = trim(b.get(B::Belegnr)) == beleg &&
                    (eroeffnet_op(*u_.basis, b) || ist_zahlung(*u_.basis, b));
          return !weitere;
        });
    if (gelesen < 0) return false;
    if (weitere) return true;
    Puffer op_puffer(u_.opstamm);
    const std::string key = op_schluessel(*u_.basis, alt);
    return !u_.opstamm->key_vorhanden(1, key) || u_.opstamm->loeschen(key);
  });
}

// --- Bulk runs ---

Buchungslauf::Buchungslauf(Buchungskern& kern) : kern_(kern), basis_vorher_(BasisFelder::groesse) {
  kern_.lauf_ = this;
  sperren(true);
  (void)beginnen();  // ok() tells the caller
}

Buchungslauf::~Buchungslauf() {
  if (laeuft_) {
    kern_.u_.buchung->verzeichnis().verwerfe();
    *kern_.u_.basis = basis_vorher_;
  }
  sperren(false);
  kern_.lauf_ = nullptr;
}

void Buchungslauf::sperren(bool an) {
  // The files a booking writes stay locked for the whole run; the units
  // keep their own locks until they end.
  auto& u = kern_.u_;
  for (tdatenbank* db :
       {static_cast<tdatenbank*>(u.buchung), static_cast<tdatenbank*>(u.sach),
        static_cast<tdatenbank*>(u.personen), static_cast<tdatenbank*>(u.opstamm)}) {
    if (!db || !db->offen()) continue;
    if (an) {
      if (!db->datei().LockFileBlock()) fehler_ = true;
    } else {
      (void)db->datei().UnLockFileBlock();  // unlocking is not refused
    }
  }
  // A file that could not be locked for the run fails it before it writes.
  if (an) {
    if (!u.buchung->daten().sperren_exklusiv()) fehler_ = true;
  } else {
    (void)u.buchung->daten().entsperren();
  }
}

bool Buchungslauf::beginnen() {
  basis_vorher_ = *kern_.u_.basis;
  sichern_ = ablegen_ = false;
  laeuft_ = kern_.u_.buchung->verzeichnis().beginne() == isam::isam_ok;
  if (!laeuft_) fehler_ = true;
  return laeuft_;
}

bool Buchungslauf::bestaetigen() {
  if (!laeuft_) return false;
  auto& u = kern_.u_;
  auto& v = u.buchung->verzeichnis();
  bool ok = !fehler_ && !v.vergiftet();
  if (ok && sichern_ && u.basis_sichern)
    ok = u.basis_sichern();
  else if (ok && ablegen_ && u.basis_ablegen)
    ok = u.basis_ablegen();
  laeuft_ = false;
  festgeschrieben_ = false;
  if (!ok) {
    v.verwerfe();
  } else {
    const int ergebnis = v.bestaetige();
    ok = ergebnis == isam::isam_ok;
    festgeschrieben_ = ok || ergebnis == isam::fehler_nachzuholen;
  }
  if (!ok) {
    if (!festgeschrieben_) *u.basis = basis_vorher_;
    fehler_ = true;
  }
  return ok;
}

bool Buchungslauf::ok() const {
  return laeuft_ && !fehler_ && !kern_.u_.buchung->verzeichnis().vergiftet();
}

bool Buchungslauf::zwischenstand() {
  return bestaetigen() && beginnen();
}

bool Buchungslauf::ende() {
  return bestaetigen();
}

}  // namespace fibu
