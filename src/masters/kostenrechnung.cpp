#include "masters/kostenrechnung.h"

#include <cstdio>

#include "masters/kontohilfen.h"
#include "masters/sachkonto.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"
#include "suite/browser.h"
#include "suite/numkeys.h"

namespace fibu {
namespace {

using K = KostenFelder;
using A = KostartFelder;
using B = BasisFelder;

constexpr int listenbreite = 78;

char praefix(Kostenstamm art) {
  return art == Kostenstamm::Leitkostenstelle ? 'L' : art == Kostenstamm::Kostenstelle ? 'K' : 'V';
}

const char* titel(Kostenstamm art) {
  return art == Kostenstamm::Leitkostenstelle ? "Leitkostenstellen pflegen"
         : art == Kostenstamm::Kostenstelle   ? "Kostenstellen pflegen"
                                              : "Verteilschlüssel pflegen";
}

// The cost-type file is opened when first needed.
tdatenbank& kostenarten(Mandant& m) {
  if (!m.kostart->offen()) m.kostart->oeffnen();
  return *m.kostart;
}

// A record of the cost-centre file, read without disturbing the working
// record of a dialog (the dialogs keep their own copy).
bool kosten_vorhanden(Mandant& m, Kostenstamm art, std::int32_t nummer, Satz* aus = nullptr) {
  if (nummer <= 0 || nummer > 9999) return false;
  if (!m.kosten->suchen(kostenschluessel(art, nummer))) return false;
  if (aus) *aus = m.kosten->satz();
  return true;
}

std::string anteil_text(std::int64_t anteil) { return trim(format_maske(anteil, 2, "###,##")); }

std::string summe_text(std::int64_t summe) {
  return trim(format_maske(summe, 2, "#####,##")) + " %";
}

}  // namespace

std::string kostenschluessel(Kostenstamm art, std::int32_t nummer) {
  return std::string(1, praefix(art)) + vierstellig(nummer);
}

bool kostenstelle_bebucht(Mandant& m, std::int32_t nummer) {
  return m.buchung && nummer != 0 && m.buchung->key_vorhanden(3, LongToKey(nummer));
}

bool kostenstelle_pruefen(Mandant& m, const Satz& k, Pruefmeldung& meldung) {
  const std::string leit = trim(k.get(K::Leitkostenstelle));
  if (kontowert(leit) == 0) {
    meldung.melde("Keine Leitkostenstelle eingetragen!");
    return false;
  }
  if (!kosten_vorhanden(m, Kostenstamm::Leitkostenstelle, kontowert(leit))) {
    meldung.melde("Leitkostenstelle " + leit + " nicht vorhanden!");
    return false;
  }
  return true;
}

bool verteilschluessel_pruefen(Mandant& m, const std::vector<Verteilzeile>& zeilen,
                               Pruefmeldung& meldung) {
  const bool alle = meldung.alle_pruefen();
  bool ok = true;
  int gefuellt = 0;
  std::int64_t summe = 0;
  for (const Verteilzeile& z : zeilen) {
    if (trim(z.kostenstelle).empty()) {
      // A share without its cost centre would be lost on saving.
      if (z.anteil != 0) {
        meldung.melde("Bitte zu jedem Prozentanteil eine Kostenstelle eintragen!");
        return false;
      }
      continue;
    }
    ++gefuellt;
    summe += z.anteil;
    if (!kosten_vorhanden(m, Kostenstamm::Kostenstelle, kontowert(z.kostenstelle))) {
      meldung.melde("Kostenstelle " + trim(z.kostenstelle) + " nicht vorhanden!");
      ok = false;
      if (!alle) return false;
    }
  }
  if (gefuellt == 0) {
    meldung.melde("Keine Kostenstellen eingetragen!");
    return false;
  }
  // Shares are whole hundredths of a percent: their sum is exact.
  if (summe != 10000) {
    meldung.melde("Summe der Prozentanteile ist nicht 100 %!");
    return false;
  }
  return ok;
}

bool kostenart_pruefen(Mandant& m, const Satz& k, Pruefmeldung& meldung) {
  const bool alle = meldung.alle_pruefen();
  bool ok = true;
  const std::string kst = trim(k.get(A::Kostenstelle));
  if (!kosten_vorhanden(m, Kostenstamm::Kostenstelle, kontowert(kst))) {
    meldung.melde("Kostenstelle " + kst + " nicht vorhanden!");
    ok = false;
    if (!alle) return false;
  }
  const std::string konto = trim(k.get(A::Sachkonto));
  if (!sachkonto_lesen(m, kontowert(konto))) {
    meldung.melde("Sachkonto " + konto + " nicht vorhanden!");
    ok = false;
  }
  return ok;
}

// --- Main cost centres, cost centres, allocation keys ---

TFKostenstamm::TFKostenstamm(Mandant& m, Kostenstamm art) : m_(m), art_(art), form_(titel(art)) {
  const char* nummer = art == Kostenstamm::Leitkostenstelle ? "Leitkostenstelle"
                       : art == Kostenstamm::Kostenstelle   ? "Kostenstelle"
                                                            : "Verteilschlüssel";
  form_.AddLongInt(f_nummer, nummer, 0, 0, 9999);
  if (art == Kostenstamm::Kostenstelle) {
    form_.AddString(f_name1, "Bezeichnung 1", "", 40);
    form_.AddString(f_name2, "Bezeichnung 2", "", 40);
    form_.AddLongInt(f_leit, "Leitkostenstelle", 0, 0, 9999);
    form_.AddYesNo(f_frei, "frei bebuchbar", true);
  } else {
    form_.AddString(f_name1, "Bezeichnung", "", 40);
  }
  if (art == Kostenstamm::Verteilschluessel) {
    form_.AddString(f_summe, "Summe der Prozentwerte", summe_text(0), 12);
    form_.ProtectControl(f_summe);
    // The lines filled so far and one free line, up to 100.
    form_.setze_tabelle({{"Kostenstelle", "%-Anteil"},
                         [this] {
                           return std::min<int>(static_cast<int>(zeilen_.size()) + 1,
                                                tdbkosten_datenbank::max_zeilen);
                         },
                         [this](int z, int sp) -> std::string {
                           if (z >= static_cast<int>(zeilen_.size())) return "";
                           const Verteilzeile& v = zeilen_[static_cast<std::size_t>(z)];
                           return sp == 0 ? v.kostenstelle : anteil_text(v.anteil);
                         },
                         [this](int z, int sp, const std::string& t) { return zelle_setzen(z, sp, t); }});
  }
  form_.beim_verlassen([this](TEntryForm&, int nr) { return nr != f_nummer || nummer_verlassen(); });
  form_.AddKey(Taste::Esc, "&Ende", [this](TEntryForm&) {
    return speichern() ? Reaktion::Speichern : Reaktion::Weiter;
  });
  form_.AddKey(Taste::F2, "&Liste", [this](TEntryForm&) { return liste(); });
  form_.AddKey(Taste::BildAuf, "&<", [this](TEntryForm&) { return blaettern(false); });
  form_.AddKey(Taste::BildAb, "&>", [this](TEntryForm&) { return blaettern(true); });
  form_.AddKey(Taste::F8, "L&öschen", [this](TEntryForm&) { return loeschen(); });
  if (art == Kostenstamm::Verteilschluessel)
    form_.AddKey(Taste::F3, "&Kostenst.", [this](TEntryForm& f) {
      if (!gewaehlt_) return Reaktion::Weiter;
      std::string k = "K";
      Zeilenbauer zeile = [](const Satz& s) {
        return trim(s.get(K::Schluessel)).substr(1) + "  " + trim(s.get(K::Name1));
      };
      if (!m_.kosten->auswahl_bereich(1, "Liste der Kostenstellen", k, zeile, "K", "K",
                                      " Nr.  !Bezeichnung"))
        return Reaktion::Weiter;
      // Into the first line without a cost centre, else a new line.
      std::size_t z = 0;
      while (z < zeilen_.size() && !zeilen_[z].kostenstelle.empty()) ++z;
      f.zelle_setzen(static_cast<int>(z), 0, trim(m_.kosten->satz().get(K::Schluessel)).substr(1));
      return Reaktion::Weiter;
    });
  if (art == Kostenstamm::Kostenstelle)
    form_.AddKey(Taste::F3, "&Leitkosten", [this](TEntryForm& f) {
      std::string k = "L";
      Zeilenbauer zeile = [](const Satz& s) {
        return trim(s.get(K::Schluessel)).substr(1) + "  " + trim(s.get(K::Name1));
      };
      if (m_.kosten->auswahl_bereich(1, "Liste der Leitkostenstellen", k, zeile, "L", "L",
                                     " Nr.  !Bezeichnung"))
        f.eingabe(f_leit, trim(m_.kosten->satz().get(K::Schluessel)).substr(1));
      return Reaktion::Weiter;
    });
}

bool TFKostenstamm::ausfuehren() {
  form_.Execute(m_.ui());
  return true;
}

std::string TFKostenstamm::key() const {
  return kostenschluessel(art_, static_cast<std::int32_t>(form_.zahl(f_nummer)));
}

bool TFKostenstamm::im_bereich(std::int32_t n) const {
  const Satz& b = m_.basis;
  switch (art_) {
    case Kostenstamm::Kostenstelle:
      return b.get(B::KostenstelleVon) <= n && n <= b.get(B::KostenstelleBis);
    case Kostenstamm::Verteilschluessel:
      return b.get(B::VerteilschluesselVon) <= n && n <= b.get(B::VerteilschluesselBis);
    case Kostenstamm::Leitkostenstelle:
      break;
  }
  return n >= 1 && n <= 9999;
}

bool TFKostenstamm::nummer_verlassen() {
  if (gewaehlt_) return true;
  if (!kontonummer_im_bereich(form_, f_nummer, im_bereich(static_cast<std::int32_t>(form_.zahl(f_nummer))),
                              "Kontonummer stimmt nicht mit Nummernkreis überein!"))
    return false;
  laden(key());
  return true;
}

void TFKostenstamm::laden(const std::string& k) {
  neu_ = !m_.kosten->suchen(k);
  if (neu_) {
    m_.kosten->leeren();
    m_.kosten->satz().set(K::Schluessel, k);
    if (art_ == Kostenstamm::Kostenstelle) m_.kosten->satz().set(K::FreiBebuchbar, true);
  }
  satz_ = m_.kosten->satz();
  zeilen_ = neu_ ? std::vector<Verteilzeile>{} : m_.kosten->verteilung;
  gewaehlt_ = true;
  form_aus_satz();
  form_.ProtectControl(f_nummer);
  form_.setze_geaendert(false);
  form_.setze_fokus(f_name1);
}

void TFKostenstamm::leeren() {
  gewaehlt_ = neu_ = false;
  satz_ = Satz(K::groesse);
  zeilen_.clear();
  form_aus_satz();
  form_.setze_zahl(f_nummer, 0);
  form_.ProtectControl(f_nummer, false);
  form_.setze_geaendert(false);
  form_.setze_fokus(f_nummer);
}

void TFKostenstamm::form_aus_satz() {
  const std::string k = trim(satz_.get(K::Schluessel));
  form_.setze_zahl(f_nummer, k.size() > 1 ? kontowert(k.substr(1)) : 0);
  form_.setze_text(f_name1, satz_.get(K::Name1));
  if (art_ == Kostenstamm::Kostenstelle) {
    form_.setze_text(f_name2, satz_.get(K::Name2));
    form_.setze_zahl(f_leit, kontowert(satz_.get(K::Leitkostenstelle)));
    form_.setze_ja(f_frei, satz_.get(K::FreiBebuchbar));
  }
  summe_zeigen();
}

std::int64_t TFKostenstamm::summe() const {
  std::int64_t s = 0;
  for (const auto& z : zeilen_) s += z.anteil;
  return s;
}

void TFKostenstamm::summe_zeigen() {
  if (art_ == Kostenstamm::Verteilschluessel) form_.setze_text(f_summe, summe_text(summe()));
}

bool TFKostenstamm::zelle_setzen(int zeile, int spalte, const std::string& text) {
  if (!gewaehlt_ || zeile < 0 || zeile >= tdbkosten_datenbank::max_zeilen) return false;
  Interaktion& ui = form_.ui();
  Verteilzeile neu = zeile < static_cast<int>(zeilen_.size())
                         ? zeilen_[static_cast<std::size_t>(zeile)]
                         : Verteilzeile{};
  if (spalte == 0) {
    const std::string t = trim(text);
    if (!t.empty() && (t.size() > 4 || t.find_first_not_of("0123456789") != std::string::npos)) {
      ui.ShowMessageParent("Bitte eine Kostenstellennummer (bis 4 Ziffern) eingeben!");
      return false;
    }
    neu.kostenstelle = t.empty() ? "" : vierstellig(kontowert(t));
  } else {
    auto anteil = zahl_aus_text(text, 2);
    if (!anteil || *anteil < 0 || *anteil > 99999) {
      ui.ShowMessageParent("Bitte einen Prozentwert von 0,00 bis 999,99 eingeben!");
      return false;
    }
    neu.anteil = *anteil;
  }
  if (zeile < static_cast<int>(zeilen_.size()))
    zeilen_[static_cast<std::size_t>(zeile)] = neu;
  else
    zeilen_.push_back(neu);
  // A line emptied in both cells goes.
  while (!zeilen_.empty() && zeilen_.back().kostenstelle.empty() && zeilen_.back().anteil == 0)
    zeilen_.pop_back();
  summe_zeigen();
  return true;
}

bool TFKostenstamm::speichern() {
  if (!gewaehlt_ || !form_.geaendert()) return true;
  satz_.set(K::Name1, form_.text(f_name1));
  Pruefmeldung meldung(form_.ui());
  if (art_ == Kostenstamm::Kostenstelle) {
    satz_.set(K::Name2, form_.text(f_name2));
    const auto leit = static_cast<std::int32_t>(form_.zahl(f_leit));
    satz_.set(K::Leitkostenstelle, leit == 0 ? std::string() : vierstellig(leit));
    satz_.set(K::FreiBebuchbar, form_.ja(f_frei));
    if (!kostenstelle_pruefen(m_, satz_, meldung)) return false;
  }
  if (art_ == Kostenstamm::Verteilschluessel && !verteilschluessel_pruefen(m_, zeilen_, meldung))
    return false;
  std::vector<Verteilzeile> gefuellt;
  for (const auto& z : zeilen_)
    if (!z.kostenstelle.empty()) gefuellt.push_back(z);
  m_.kosten->satz() = satz_;
  m_.kosten->verteilung = gefuellt;
  m_.kosten->speichern(key());
  zeilen_ = gefuellt;
  form_.setze_geaendert(false);
  neu_ = false;
  return true;
}

Reaktion TFKostenstamm::blaettern(bool vor) {
  if (!speichern()) return Reaktion::Weiter;
  // Within the records of this kind only.
  const std::string p(1, praefix(art_));
  std::string k = gewaehlt_ ? key() : (vor ? p : p + "9999");
  const bool ok = vor ? m_.kosten->weiter_key(1, k) : m_.kosten->zurueck_key(1, k);
  if (ok && !k.empty() && k[0] == p[0]) laden(trim(k));
  return Reaktion::Weiter;
}

Reaktion TFKostenstamm::liste() {
  if (!speichern()) return Reaktion::Weiter;
  const std::string p(1, praefix(art_));
  const char* titel = art_ == Kostenstamm::Leitkostenstelle ? "Liste der Leitkostenstellen"
                      : art_ == Kostenstamm::Kostenstelle   ? "Liste der Kostenstellen"
                                                            : "Liste der Verteilschluessel";
  Zeilenbauer zeile = [](const Satz& s) {
    return trim(s.get(K::Schluessel)).substr(1) + "  " + trim(s.get(K::Name1));
  };
  std::string k = gewaehlt_ ? key() : p;
  if (m_.kosten->auswahl_bereich(1, titel, k, zeile, p, p, " Nr.  !Bezeichnung"))
    laden(trim(m_.kosten->satz().get(K::Schluessel)));
  return Reaktion::Weiter;
}

Reaktion TFKostenstamm::loeschen() {
  if (!gewaehlt_) return Reaktion::Weiter;
  Interaktion& ui = form_.ui();
  const auto nummer = static_cast<std::int32_t>(form_.zahl(f_nummer));
  std::string frage;
  switch (art_) {
    case Kostenstamm::Leitkostenstelle:
      // Cost centres that name it stay as they are.
      frage = "Wollen Sie diese Leitkostenstelle loeschen?";
      break;
    case Kostenstamm::Kostenstelle:
      if (nummer == m_.basis.get(B::Differenzkostenstelle)) {
        ui.ShowMessageParent("Kostenstelle ist Differenzkostenstelle und kann nicht gelöscht werden!");
        return Reaktion::Weiter;
      }
      if (kostenstelle_bebucht(m_, nummer)) {
        ui.ShowMessageParent("Kostenstelle ist bebucht und kann nicht gelöscht werden!");
        return Reaktion::Weiter;
      }
      frage = "Wollen Sie diese Kostenstelle löschen?";
      break;
    case Kostenstamm::Verteilschluessel:
      if (kostenstelle_bebucht(m_, nummer)) {
        ui.ShowMessageParent("Verteilschlüssel ist bebucht und kann nicht gelöscht werden!");
        return Reaktion::Weiter;
      }
      frage = "Wollen Sie diesen Verteilschlüssel loeschen?";
      break;
  }
  if (!ui.JaNein2(frage)) return Reaktion::Weiter;
  if (!neu_) m_.kosten->loeschen(key());  // with its continuation records
  leeren();
  return Reaktion::Weiter;
}

// --- Cost types ---

TFKostenart::TFKostenart(Mandant& m) : m_(m), form_("Kostenarten pflegen") {
  form_.AddLongInt(f_kostenstelle, "Kostenstelle", 0, 0, 9999);
  form_.AddLongInt(f_sachkonto, "Sachkonto", 0, 0, 99999999);
  for (int p = 1; p <= 12; ++p)
    form_.AddComp(f_budget + p - 1, "Budget Periode " + std::to_string(p), 0, "############.##");
  form_.AddString(f_bab, "BAB-Koordinate", "", 10);
  // Budgets and coordinate belong to a cost type: open once the pair is in.
  for (int nr = f_budget; nr <= f_bab; ++nr) form_.ProtectControl(nr);
  form_.beim_verlassen([this](TEntryForm&, int nr) { return paar_verlassen(nr); });
  form_.AddKey(Taste::Esc, "&Ende", [this](TEntryForm&) {
    return speichern() ? Reaktion::Speichern : Reaktion::Weiter;
  });
  form_.AddKey(Taste::F2, "&Liste", [this](TEntryForm&) { return liste(1); });
  form_.AddKey(Taste::F3, "Liste &Sachkonten", [this](TEntryForm&) { return liste(2); });
  form_.AddKey(Taste::F8, "L&öschen", [this](TEntryForm&) { return loeschen(); });
  form_.AddKey(Taste::BildAuf, "&<", [this](TEntryForm&) { return blaettern(false); });
  form_.AddKey(Taste::BildAb, "&>", [this](TEntryForm&) { return blaettern(true); });
}

Reaktion TFKostenart::blaettern(bool vor) {
  if (!speichern()) return Reaktion::Weiter;
  tdatenbank& db = kostenarten(m_);
  std::string k = gewaehlt_ ? key() : "";
  if (!(vor ? db.lies_weiter(1, k) : db.lies_zurueck(1, k))) return Reaktion::Weiter;
  waehlen(db.satz());
  return Reaktion::Weiter;
}

void TFKostenart::waehlen(const Satz& kostenart) {
  form_.setze_zahl(f_kostenstelle, kontowert(kostenart.get(A::Kostenstelle)));
  form_.setze_zahl(f_sachkonto, kontowert(kostenart.get(A::Sachkonto)));
  laden();
}

bool TFKostenart::ausfuehren() {
  form_.Execute(m_.ui());
  return true;
}

std::string TFKostenart::key() const {
  return vierstellig(static_cast<std::int32_t>(form_.zahl(f_kostenstelle))) +
         sachkonto_text(m_.basis, static_cast<std::int32_t>(form_.zahl(f_sachkonto)));
}

// When the pair of cost centre and GL account is entered, both must exist;
// then the cost type is read.
bool TFKostenart::paar_verlassen(int nr) {
  if (gewaehlt_ || (nr != f_kostenstelle && nr != f_sachkonto)) return true;
  const auto kst = static_cast<std::int32_t>(form_.zahl(f_kostenstelle));
  const auto konto = static_cast<std::int32_t>(form_.zahl(f_sachkonto));
  if (nr == f_kostenstelle || konto == 0) {
    if (nr == f_kostenstelle && kst != 0 && !kosten_vorhanden(m_, Kostenstamm::Kostenstelle, kst)) {
      form_.ui().ShowMessageParent("Kostenstelle nicht gefunden!");
      form_.setze_fokus(f_kostenstelle);
      return false;
    }
    return true;
  }
  if (!kosten_vorhanden(m_, Kostenstamm::Kostenstelle, kst)) {
    form_.ui().ShowMessageParent("Kostenstelle nicht gefunden!");
    form_.setze_fokus(f_kostenstelle);
    return false;
  }
  if (!sachkonto_lesen(m_, konto)) {
    form_.ui().ShowMessageParent("Sachkonto nicht gefunden!");
    form_.setze_fokus(f_sachkonto);
    return false;
  }
  laden();
  return true;
}

void TFKostenart::laden() {
  tdatenbank& db = kostenarten(m_);
  neu_ = !db.suchen(key());
  satz_ = db.satz();
  if (neu_) {
    const auto kst = static_cast<std::int32_t>(form_.zahl(f_kostenstelle));
    const std::string konto =
        sachkonto_text(m_.basis, static_cast<std::int32_t>(form_.zahl(f_sachkonto)));
    satz_.set(A::Schluessel1, key());
    satz_.set(A::Schluessel2, konto + vierstellig(kst));
    satz_.set(A::Kostenstelle, vierstellig(kst));
    satz_.set(A::Sachkonto, konto);
  }
  for (int p = 1; p <= 12; ++p) form_.setze_zahl(f_budget + p - 1, satz_.get(A::budget(p)));
  form_.setze_text(f_bab, satz_.get(A::BabKoordinate));
  gewaehlt_ = true;
  form_.ProtectControl(f_kostenstelle);
  form_.ProtectControl(f_sachkonto);
  for (int nr = f_budget; nr <= f_bab; ++nr) form_.ProtectControl(nr, false);
  form_.setze_geaendert(false);
  form_.setze_fokus(f_budget);
}

bool TFKostenart::speichern() {
  if (!gewaehlt_ || !form_.geaendert()) return true;
  Betrag jahr = 0;
  for (int p = 1; p <= 12; ++p) {
    satz_.set(A::budget(p), form_.zahl(f_budget + p - 1));
    jahr += form_.zahl(f_budget + p - 1);
  }
  satz_.set(A::Budget, jahr);
  satz_.set(A::BabKoordinate, form_.text(f_bab));
  Pruefmeldung meldung(form_.ui());
  if (!kostenart_pruefen(m_, satz_, meldung)) return false;
  tdatenbank& db = kostenarten(m_);
  db.satz() = satz_;
  db.speichern(key());
  form_.setze_geaendert(false);
  neu_ = false;
  return true;
}

Reaktion TFKostenart::liste(int key_nr) {
  if (!speichern()) return Reaktion::Weiter;
  tdatenbank& db = kostenarten(m_);
  const int laenge = m_.basis.get(B::SachLaenge);
  Zeilenbauer zeile = [key_nr, laenge](const Satz& s) {
    const std::string kst = padcut(trim(s.get(A::Kostenstelle)), 9);
    const std::string konto = padcut(trim(s.get(A::Sachkonto)), laenge);
    return key_nr == 1 ? kst + "  " + konto : konto + "  " + kst;
  };
  std::string k;
  const bool gewaehlt =
      db.auswahl(key_nr,
                 key_nr == 1 ? "Liste der Kostenarten nach Kostenstellen"
                             : "Liste der Kostenarten nach Sachkonten",
                 k, zeile,
                 key_nr == 1 ? "Kostenst.  Sachkonto" : padcut("Sachkonto", laenge) + "  Kostenst.");
  if (gewaehlt) waehlen(db.satz());
  return Reaktion::Weiter;
}

Reaktion TFKostenart::loeschen() {
  if (!gewaehlt_) return Reaktion::Weiter;
  if (!form_.ui().JaNein2("Wollen Sie diese Kostenart löschen?")) return Reaktion::Weiter;
  tdatenbank& db = kostenarten(m_);
  if (!neu_ && db.suchen(key())) db.loeschen(key());
  gewaehlt_ = neu_ = false;
  form_.ProtectControl(f_kostenstelle, false);
  form_.ProtectControl(f_sachkonto, false);
  form_.setze_zahl(f_kostenstelle, 0);
  form_.setze_zahl(f_sachkonto, 0);
  for (int p = 1; p <= 12; ++p) form_.setze_zahl(f_budget + p - 1, 0);
  form_.setze_text(f_bab, "");
  for (int nr = f_budget; nr <= f_bab; ++nr) form_.ProtectControl(nr);
  form_.setze_geaendert(false);
  form_.setze_fokus(f_kostenstelle);
  return Reaktion::Weiter;
}

// --- Printed lists ---

namespace {

// A from/to dialog over numbers; nullopt when cancelled.
std::optional<std::pair<std::int32_t, std::int32_t>> bereich(Mandant& m, const std::string& titel,
                                                              std::int32_t bis) {
  TEntryForm f(titel);
  f.EscBefehl("&Drucken");
  f.AddLongInt(1, "Von", 0, 0, bis);
  f.AddLongInt(2, "Bis", bis, 0, bis);
  f.FrageDatenSpeichern(false);
  if (!f.Execute(m.ui())) return std::nullopt;
  return std::make_pair(static_cast<std::int32_t>(f.zahl(1)), static_cast<std::int32_t>(f.zahl(2)));
}

std::string name_der_kostenstelle(Mandant& m, const std::string& nummer) {
  Satz s(K::groesse);
  return kosten_vorhanden(m, Kostenstamm::Kostenstelle, kontowert(nummer), &s) ? trim(s.get(K::Name1))
                                                                               : "";
}

}  // namespace

void kostenliste_drucken(Mandant& m, Kostenstamm art, std::int32_t von, std::int32_t bis) {
  const char* name = art == Kostenstamm::Leitkostenstelle ? "Leitkostenstellen"
                     : art == Kostenstamm::Kostenstelle   ? "Kostenstellen"
                                                          : "Verteilschlüssel";
  std::vector<std::string> kopf;
  if (art == Kostenstamm::Leitkostenstelle) kopf = {"Leitkostenstelle    Bezeichnung"};
  if (art == Kostenstamm::Kostenstelle)
    kopf = {"Kostenstelle  Bezeichnung 1                             Leitkost.  Bebuchbar",
            "              Bezeichnung 2"};
  if (art == Kostenstamm::Verteilschluessel)
    kopf = {"Verteilschl.  Verteilschlüssel-Bezeichnung",
            "              Kostenstelle  Kostenstellen-Bezeichnung                 %-Anteil"};
  Ausgabe3 d(m.ui());
  if (!d.open_drucker(name)) return;
  const Seitenkopf sk = seitenkopf(m, name, listenbreite);
  auto seitenanfang = [&](Ausgabe3& a) {
    drucke_seitenkopf(a, sk);
    for (const auto& z : kopf) a.druckeln(z);
    a.druckeln();
  };
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  // The keys of this kind in order, then each record read whole.
  std::vector<std::string> keys;
  std::string k = kostenschluessel(art, von);
  const std::string ende = kostenschluessel(art, bis);
  for (bool ok = m.kosten->suche_ab(1, k); ok && trim(k) <= ende; ok = m.kosten->weiter_key(1, k))
    keys.push_back(trim(k));
  for (const std::string& key : keys) {
    if (!m.kosten->suchen(key)) continue;
    const Satz s = m.kosten->satz();
    const std::string nummer = key.substr(1);
    if (art == Kostenstamm::Leitkostenstelle) {
      d.druckeln(padcut(nummer, 20) + trim(s.get(K::Name1)));
    } else if (art == Kostenstamm::Kostenstelle) {
      if (d.check(2)) {
        d.neue_seite();
        seitenanfang(d);
      }
      d.druckeln(padcut(nummer, 14) + padcut(s.get(K::Name1), 42) +
                 padcut(trim(s.get(K::Leitkostenstelle)), 11) +
                 (s.get(K::FreiBebuchbar) ? "J" : " "));
      d.druckeln(space(14) + trim(s.get(K::Name2)));
    } else {
      const std::vector<Verteilzeile> zeilen = m.kosten->verteilung;
      if (d.check(static_cast<int>(zeilen.size()) + 2)) {
        d.neue_seite();
        seitenanfang(d);
      }
      d.druckeln(padcut(nummer, 14) + trim(s.get(K::Name1)));
      for (const Verteilzeile& z : zeilen)
        d.druckeln(space(14) + padcut(z.kostenstelle, 14) +
                   padcut(name_der_kostenstelle(m, z.kostenstelle), 42) +
                   padlinks(trim(format_maske(z.anteil, 2, "###,##")), 8));
      d.druckeln();
    }
  }
  d.close_drucker();
}

void kostenliste(Mandant& m, Kostenstamm art) {
  const char* name = art == Kostenstamm::Leitkostenstelle ? "Liste Leitkostenstellen"
                     : art == Kostenstamm::Kostenstelle   ? "Liste Kostenstellen"
                                                          : "Liste Verteilschlüssel";
  if (auto b = bereich(m, name, 9999)) kostenliste_drucken(m, art, b->first, b->second);
}

void kostenartenliste_drucken(Mandant& m, std::int32_t von, std::int32_t bis) {
  tdatenbank& db = kostenarten(m);
  Ausgabe3 d(m.ui());
  if (!d.open_drucker("Kostenarten")) return;
  const Seitenkopf sk = seitenkopf(m, "Kostenarten", listenbreite);
  auto seitenanfang = [&](Ausgabe3& a) {
    drucke_seitenkopf(a, sk);
    a.druckeln("Kostenst. Bezeichnung                   Sachkonto Bezeichnung");
    a.druckeln();
  };
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  std::vector<std::string> keys;
  std::string k = vierstellig(von);
  const std::string ende = vierstellig(bis);
  for (bool ok = db.suche_ab(1, k); ok && trim(k).substr(0, 4) <= ende; ok = db.weiter_key(1, k))
    keys.push_back(trim(k));
  const char* maske = "###.###.###,##";
  for (const std::string& key : keys) {
    if (!db.suchen(key)) continue;
    const Satz s = db.satz();
    const std::string kst = trim(s.get(A::Kostenstelle));
    const std::string konto = trim(s.get(A::Sachkonto));
    std::string kontoname;
    if (auto gl = sachkonto_lesen(m, kontowert(konto))) kontoname = trim(gl->get(SachFelder::Bezeichnung1));
    if (d.check(8)) {
      d.neue_seite();
      seitenanfang(d);
    }
    d.druckeln(padcut(kst, 10) + padcut(name_der_kostenstelle(m, kst), 30) + padcut(konto, 10) +
               kontoname);
    // The twelve period budgets, two to a line, and the year.
    for (int p = 1; p <= 12; p += 2)
      d.druckeln(space(10) + padcut("Periode " + std::to_string(p), 13) +
                 format_betrag(s.get(A::budget(p)), maske) + "  " +
                 padcut("Periode " + std::to_string(p + 1), 13) +
                 format_betrag(s.get(A::budget(p + 1)), maske));
    d.druckeln(space(10) + padcut("Jahresbudget", 13) + format_betrag(s.get(A::Budget), maske));
    d.druckeln();
  }
  d.close_drucker();
}

void kostenartenliste(Mandant& m) {
  if (auto b = bereich(m, "Liste Kostenarten", 9999)) kostenartenliste_drucken(m, b->first, b->second);
}

}  // namespace fibu
