#include "banking/tbank.h"

#include <algorithm>

#include "banking/zuordnung.h"
#include "posting/buchen.h"
#include "posting/periodenwahl.h"
#include "store/kontenbereiche.h"
#include "store/puffer.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/listenformat.h"

namespace fibu {

namespace {
using S = SachFelder;
using P = PersonenFelder;
using O = OpstammFelder;
using BF = BasisFelder;

constexpr int druckbreite = 100;
}  // namespace

tbank::tbank(Mandant& m) : m_(m), tabelle_(m) {
  if (!m_.opstamm->offen()) {
    m_.opstamm->oeffnen();
    opstamm_geoeffnet_ = m_.opstamm->offen();
  }
}

tbank::~tbank() {
  if (geaendert_ && offen() && !speichern())
    m_.ui().ShowMessageMain("Die Tabelle " + Banktabelle::dateiname(konto_) +
                            " konnte nicht gespeichert werden!");
  tabelle_.schliessen();
  if (opstamm_geoeffnet_) m_.opstamm->schliessen();
}

// --- Header ---

bool tbank::konto_oeffnen(const std::string& eingabe) {
  const std::string text = trim(eingabe);
  const std::string konto = nur_ziffern(text) && !text.empty() && text.size() <= 8
                                ? m_.sachkonto_text(kontowert(text))
                                : std::string();
  {
    Puffer p(m_.sach.get());
    if (konto.empty() || !m_.ist_sachkonto(konto) || !m_.sach->suchen(konto)) {
      m_.ui().ShowMessageMain("Sachkonto nicht vorhanden!");
      return false;
    }
  }
  if (geaendert_ && offen() && !speichern()) return false;
  Datum gespeichert = kein_datum;
  if (!tabelle_.oeffnen(konto, zeilen_, gespeichert)) {
    m_.ui().ShowMessageMain("Die Tabelle " + Banktabelle::dateiname(konto) +
                            " kann nicht geöffnet werden!");
    return false;
  }
  konto_ = konto;
  geaendert_ = false;
  salden_lesen();
  auffuellen();
  datum_setzen(benutzt() > 0 && gespeichert ? gespeichert : m_.tagesdatum().Today());
  return true;
}

void tbank::salden_lesen() {
  Puffer p(m_.sach.get());
  bezeichnung_.clear();
  alter_saldo_ = 0;
  if (!m_.sach->suchen(konto_)) return;
  bezeichnung_ = trim(m_.sach->satz().get(S::Bezeichnung1));
  alter_saldo_ = m_.sach->satz().get(S::Saldo);
}

bool tbank::datum_setzen(Datum d) {
  const Datum von = geschaeftsjahr_von(m_.basis), bis = geschaeftsjahr_bis(m_.basis);
  bool ok = d != kein_datum && d >= von && d <= bis;
  if (!ok) {
    m_.ui().ShowMessageMain("Datum liegt nicht im Geschäftsjahr!");
    const Datum heute = m_.tagesdatum().Today();
    d = heute >= von && heute <= bis ? heute : von;
  }
  if (d != datum_ && benutzt() > 0) geaendert_ = true;
  datum_ = d;
  periode_ = periode_des_datums(m_.basis, d);
  return ok;
}

Betrag tbank::differenz() const {
  Betrag d = 0;
  for (const Bankzeile& z : zeilen_) d += z.differenzanteil();
  return d;
}

Betrag tbank::neuer_saldo() const {
  Betrag s = alter_saldo_;
  for (const Bankzeile& z : zeilen_) s += z.saldoanteil();
  return s;
}

// --- Rows ---

std::size_t tbank::benutzt() const {
  std::size_t n = zeilen_.size();
  while (n > 0 && zeilen_[n - 1].leer()) --n;
  return n;
}

void tbank::auffuellen() {
  const std::size_t soll = benutzt() + freie_zeilen;
  if (zeilen_.size() < soll) zeilen_.resize(soll);
}

void tbank::geaendert() {
  geaendert_ = true;
  auffuellen();
}

void tbank::zeile_einfuegen(std::size_t i) {
  zeilen_.insert(zeilen_.begin() + static_cast<std::ptrdiff_t>(std::min(i, zeilen_.size())),
                 Bankzeile{});
  geaendert();
}

void tbank::zeile_loeschen(std::size_t i) {
  if (i >= zeilen_.size()) return;
  zeilen_.erase(zeilen_.begin() + static_cast<std::ptrdiff_t>(i));
  geaendert();
}

std::optional<std::size_t> tbank::bezugszeile(std::size_t i) const {
  for (std::size_t j = std::min(i + 1, zeilen_.size()); j > 0; --j)
    if (zeilen_[j - 1].auszugszeile()) return j - 1;
  return std::nullopt;
}

std::optional<char> tbank::kennung(std::size_t i, std::string* meldung) const {
  auto b = bezugszeile(i);
  if (!b) {
    if (meldung) *meldung = "Bezugszeile zu dieser Splitbuchung nicht gefunden!";
    return std::nullopt;
  }
  return bank_kennung(zeilen_[*b], zeilen_[i].gutschrift);
}

bool tbank::personenkonto(const Bankzeile& z) const {
  return !z.konto.empty() && !m_.ist_sachkonto(z.konto);
}

std::string tbank::kontoname(const std::string& konto) const {
  const std::string k = trim(konto);
  if (k.empty() || !nur_ziffern(k) || k.size() > 8) return "";
  if (m_.ist_sachkonto(k)) {
    Puffer p(m_.sach.get());
    return m_.sach->suchen(m_.sachkonto_text(kontowert(k)))
               ? trim(m_.sach->satz().get(S::Bezeichnung1))
               : "";
  }
  Puffer p(m_.personen.get());
  return m_.personen->suchen(m_.personenkonto_text(kontowert(k)))
             ? trim(m_.personen->satz().get(P::Name))
             : "";
}

std::optional<Satz> tbank::op_der_zeile(std::size_t i) const {
  if (i >= zeilen_.size()) return std::nullopt;
  const Bankzeile& z = zeilen_[i];
  if (z.belegnr.empty() || z.sachzeile()) return std::nullopt;
  auto k = kennung(i);
  if (!k) return std::nullopt;
  Puffer p(m_.opstamm.get());
  if (!m_.opstamm->suchen(std::string(1, *k) + z.belegnr)) return std::nullopt;
  return m_.opstamm->satz();
}

// --- Checks ---

std::string tbank::belegnr_eingeben(std::size_t i, bool neu, std::string* hinweis) {
  Bankzeile& z = zeilen_[i];
  z.belegnr = trim(z.belegnr);
  if (z.belegnr.empty()) return "Die Belegnummer darf nicht leer sein!";
  if (z.sachzeile()) {
    if (z.betrag == 0) z.betrag = z.soll + z.haben;
    return "";
  }
  std::string meldung;
  if (!kennung(i, &meldung)) return meldung;
  auto op = op_der_zeile(i);
  if (!op) return "OP zu der Belegnummer nicht gefunden!";
  if (neu) {
    aus_op_fuellen(m_, z, *op);
    if (op->get(O::NochOffen) == 0 && hinweis) *hinweis = "OP ist bereits ausgeglichen!";
  }
  return "";
}

std::string tbank::zeile_pruefen(std::size_t i) {
  Bankzeile& z = zeilen_[i];
  if (z.leer()) return "";
  if (z.soll != 0 && z.haben != 0) return "Soll und Haben dürfen nicht beide ungleich Null sein!";
  if (z.betrag == 0) return "Betrag darf nicht Null sein!";
  if (std::string m = belegnr_eingeben(i, false); !m.empty()) return m;

  // The account and what its bookings need.
  if (z.konto.empty()) return "Konto darf nicht leer sein!";
  if (!nur_ziffern(z.konto) || z.konto.size() > 8)
    return z.sachzeile() ? "Bitte Sachkonto eintragen!" : "Bitte Personenkonto eintragen!";
  const Satz& basis = m_.basis;
  if (z.sachzeile()) {
    if (!m_.ist_sachkonto(z.konto)) return "Bitte Sachkonto eintragen!";
    Puffer p(m_.sach.get());
    if (!m_.sach->suchen(m_.sachkonto_text(kontowert(z.konto)))) return "Sachkonto nicht gefunden!";
    const int k = m_.sach->satz().get(S::Steuerschluessel);
    if (k >= 1 && k <= 40 &&
        !m_.sach->key_vorhanden(1, m_.sachkonto_text(basis.get(BF::steuerkonto(k)))))
      return "Steuerkonto zu diesem Sachkonto nicht gefunden!";
  } else {
    if (m_.ist_sachkonto(z.konto)) return "Bitte Personenkonto eintragen!";
    const std::string text = m_.personenkonto_text(kontowert(z.konto));
    Puffer p(m_.personen.get());
    if (!(m_.ist_debitor(text) || m_.ist_kreditor(text)) || !m_.personen->suchen(text))
      return "Personenkonto nicht gefunden!";
    auto op = op_der_zeile(i);
    if (!op) return "OP nicht gefunden!";
    if (kontowert(op->get(O::Kontonummer)) != kontowert(z.konto))
      return "Personenkonto paßt nicht zu diesem OP!";
    const int c = m_.personen->satz().get(P::Sammelkonto);
    const std::int32_t sammel = c < 1 || c > 40        ? 0
                                : m_.ist_debitor(text) ? basis.get(BF::forderungskonto(c))
                                                       : basis.get(BF::verbindlichkeitskonto(c));
    Puffer ps(m_.sach.get());
    if (sammel == 0 || !m_.sach->key_vorhanden(1, m_.sachkonto_text(sammel)))
      return "Forderungs-/Verbindlichkeitskonto zu diesem Personenkonto nicht gefunden!";
    // A personal account takes no cost centre; the entry screen clears it too.
    z.kost.clear();
  }

  if (!z.kost.empty() && trim(z.kost) != "0") {
    const std::string key = kostenschluessel(basis, z.kost);
    Puffer p(m_.kosten.get());
    if (!m_.kosten->suchen(key))
      return key[0] == 'V' ? "Verteilschlüssel nicht gefunden!" : "Kostenstelle nicht gefunden!";
  }

  int t, monat, jahr;
  DateToDMY(datum_, t, monat, jahr);
  if (z.tag < 1 || z.tag > tage_im_monat(monat, jahr))
    return "Die Angabe \"Tag\" liegt außerhalb der maximalen Anzahl der Tage im Monat " +
           std::to_string(monat) + " für das Jahr " + std::to_string(jahr) + "!";
  return "";
}

std::vector<std::size_t> tbank::unausgeglichene_zeilen() const {
  std::vector<std::size_t> aus;
  std::optional<std::size_t> zeile;
  Betrag rest = 0;
  auto abschliessen = [&] {
    if (zeile && rest != 0) aus.push_back(*zeile);
  };
  for (std::size_t i = 0; i < zeilen_.size(); ++i) {
    const Bankzeile& z = zeilen_[i];
    if (z.auszugszeile()) {
      abschliessen();
      zeile = i;
      rest = 0;
    } else if (!zeile && z.betrag != 0) {
      aus.push_back(i);  // a split row without its statement line
      continue;
    }
    rest += z.differenzanteil();
  }
  abschliessen();
  return aus;
}

Betrag tbank::zeilendifferenz(std::size_t i) const {
  Betrag rest = 0;
  for (std::size_t j = i; j < zeilen_.size() && (j == i || !zeilen_[j].auszugszeile()); ++j)
    rest += zeilen_[j].differenzanteil();
  return rest;
}

// --- Table file ---

bool tbank::speichern() {
  if (!offen()) return false;
  if (!tabelle_.ablegen(zeilen_, datum_)) return false;
  geaendert_ = false;
  return true;
}

bool tbank::leeren() {
  zeilen_.assign(freie_zeilen, Bankzeile{});
  geaendert_ = true;
  return speichern();
}

bool tbank::uebernehmen(const std::vector<Auszugszeile>& auszug, const Zuordnungsmuster& muster) {
  if (benutzt() > 0) {
    m_.ui().ShowMessageMain("Tabelle ist nicht leer, bitte zuerst löschen!");
    return false;
  }
  zeilen_.clear();
  zeilen_.reserve(auszug.size() + freie_zeilen);
  for (const Auszugszeile& a : auszug) {
    Bankzeile z;
    z.soll = a.soll;
    z.haben = a.haben;
    z.text_btx = a.text;
    z.referenz = a.referenz;
    z.name = a.name;
    z.iban = a.iban;
    z.tag = a.datum ? tag_von(a.datum) : 0;
    zuordnen(m_, muster, z);
    zeilen_.push_back(std::move(z));
  }
  geaendert();
  if (!speichern()) {
    m_.ui().ShowMessageMain("Die Tabelle " + Banktabelle::dateiname(konto_) +
                            " konnte nicht gespeichert werden!");
    return false;
  }
  return true;
}

Auszugstabelle tbank::importziel() {
  return {[this] { return datum_; }, [this] { return konto_; },
          [this](const std::vector<Auszugszeile>& auszug, const Zuordnungsmuster& muster) {
            return uebernehmen(auszug, muster);
          }};
}

// --- Printing ---

bool tbank::drucken() {
  Ausgabe3 d(m_.ui());
  if (!d.open_drucker("Bank-Kontoauszug")) return false;
  const Seitenkopf kopf = seitenkopf(m_, "Bank-Kontoauszug", druckbreite);
  const std::string spalten =
      "Zeile      Soll       Haben   Belegnr      Betrag   Konto     Te   Kost   Tag";
  auto seitenanfang = [&](Ausgabe3& a) {
    drucke_seitenkopf(a, kopf);
    a.druckeln(spalten);
    a.druckeln();
  };
  d.kopf_bei_umbruch(seitenanfang);
  drucke_seitenkopf(d, kopf);
  auto betrag = [](Betrag b, int breite) { return rechtsbuendig(betrag_text(b), breite); };
  d.druckeln("Bank-Konto: " + konto_ + "  " + bezeichnung_);
  d.druckeln("Datum: " + DateToDateString("dd.mm.yyyy", datum_));
  d.druckeln("Alter Saldo: " + betrag(alter_saldo_, 14));
  d.druckeln("Differenz: " + betrag(differenz(), 14));
  d.druckeln();
  d.druckeln(spalten);
  d.druckeln();
  const std::size_t n = benutzt();
  for (std::size_t i = 0; i < n; ++i) {
    const Bankzeile& z = zeilen_[i];
    auto leer_oder = [&](Betrag b, int breite) {
      return b == 0 ? space(breite) : betrag(b, breite);
    };
    // Each value ends under the end of its heading (Soll at 15, Haben at 27).
    d.druckeln(rechtsbuendig(std::to_string(i + 1), 5) + leer_oder(z.soll, 10) +
               leer_oder(z.haben, 12) + "   " + padcut(z.belegnr, 7) + betrag(z.betrag, 12) +
               "   " + padcut(z.konto, 8) + "  " + padcut(z.te, 2) + "   " + padcut(z.kost, 4) +
               rechtsbuendig(z.tag ? std::to_string(z.tag) : "", 6) + "  " + z.text_fibu);
  }
  d.druckeln();
  d.druckeln("Neuer Saldo: " + betrag(neuer_saldo(), 14));
  d.close_drucker();
  return true;
}

}  // namespace fibu
