#include "masters/sachkonto.h"

#include <algorithm>

#include "masters/kontohilfen.h"

#include "suite/numkeys.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/formularbindung.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"
#include "suite/browser.h"

namespace fibu {
namespace {

using S = SachFelder;
using B = BasisFelder;

const char* const zuordnungsnamen[4] = {"BWA-Zuordnung", "Bilanz-Zuordnung Soll",
                                         "Bilanz-Zuordnung Haben", "G+V-Zuordnung"};

// The BWA groups are opened when a check first needs them.
tdatenbank* bwa_gruppen(Mandant& m) {
  if (!m.bwakonto) return nullptr;
  if (!m.bwakonto->offen()) m.bwakonto->oeffnen();
  return m.bwakonto.get();
}

bool im_sachbereich(const Satz& basis, std::int32_t n) {
  return basis.get(B::SachVon) <= n && n <= basis.get(B::SachBis);
}

bool steuerkonto_da(const Satz& basis, int schluessel) {
  return schluessel >= 1 && schluessel <= 40 && basis.get(B::steuerkonto(schluessel)) != 0;
}

// The reference account of a second name line "<kkkk>": the four
// characters between "<" and a ">" in sixth place.
std::optional<std::string> referenzkonto(const std::string& zeile2) {
  std::string z = trim(zeile2);
  if (z.size() < 6 || z[0] != '<' || z[5] != '>') return std::nullopt;
  return z.substr(1, 4);
}

Kontosummen summen(const Satz& k) {
  return {k.get(S::Eroeffnungssaldo), [&k](int p) { return k.get(S::soll(p)); },
          [&k](int p) { return k.get(S::haben(p)); },
          [&k](int j) { return k.get(S::vorjahr_soll(j)); },
          [&k](int j) { return k.get(S::vorjahr_haben(j)); }};
}

std::string zweistellig(int n) {
  char p[8];
  std::snprintf(p, sizeof p, "%2d", n);
  return p;
}

}  // namespace

const char* kontenart_name(int art) {
  static const char* const namen[] = {"",        "Kasse (K)",         "Mehrwertsteuer (M)",
                                      "Umsatzerloese (U)", "Vorsteuer (V)", "EG-Erwerbe (EG)"};
  return art >= 0 && art <= 5 ? namen[art] : "";
}

bool ist_basiskonto(const Satz& basis, std::int32_t nummer) {
  return ist_sonderkonto(basis, std::to_string(nummer));
}

std::optional<Satz> sachkonto_lesen(Mandant& m, std::int32_t nummer) {
  if (!m.sach || nummer == 0) return std::nullopt;
  Satz vorher = m.sach->satz();
  const std::uint32_t ref = m.sach->aktuelle_ref();
  std::optional<Satz> gefunden;
  if (m.sach->suchen(sachkonto_text(m.basis, nummer))) gefunden = m.sach->satz();
  m.sach->satz() = vorher;
  m.sach->setze_aktuelle_ref(ref);
  return gefunden;
}

std::string sachkonto_praefix(const Satz& konto) {
  return "Sachkonto " + trim(konto.get(S::Kontonummer)) + ": ";
}

bool sachkonto_bebucht(Mandant& m, const Satz& konto) {
  return konto_bebucht(m, summen(konto), kontowert(konto.get(S::Kontonummer)));
}

namespace {

// The group codes of the four assignments: each once, each known.
void gruppen_pruefen(Mandant& m, const Satz& konto, Pruefmeldung& meldung) {
  std::vector<std::string> codes;
  for (int i = 0; i < 4; ++i)
    if (std::string c = trim(konto.get(S::zuordnung_code(i))); !c.empty()) codes.push_back(c);
  std::sort(codes.begin(), codes.end());
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (i > 0 && codes[i] == codes[i - 1]) {
      if (i < 2 || codes[i - 2] != codes[i])
        meldung.melde("Die BWA-Kontogruppe \"" + codes[i] + "\" kommt doppelt vor!");
      continue;
    }
    if (tdatenbank* gruppen = bwa_gruppen(m); gruppen && !gruppen->key_vorhanden(1, codes[i]))
      meldung.melde("Die BWA-Kontogruppe \"" + codes[i] + "\" existiert nicht!");
  }
}

// What is wrong with the reference account "<kkkk>" of the second name
// line, if anything: itself, missing, or without VAT line 99.
std::optional<std::string> referenz_falsch(Mandant& m, const Satz& konto, std::int32_t nummer) {
  const auto ref = referenzkonto(konto.get(S::Bezeichnung2));
  if (!ref) return std::nullopt;
  const std::int32_t r = kontowert(*ref);
  const std::string text = "Das in der 2.Zeile angegebene Sachkonto " + *ref;
  if (r == nummer)
    return text + " referenziert sich selbst!\rVerwenden Sie ein anderes Referenzkonto für "
                  "die MwSt-Buchungen";
  const auto referenz = sachkonto_lesen(m, r);
  if (!referenz)
    return text + " existiert nicht!\rVerwenden Sie in der zweiten Zeile keine Bezeichnung "
                  "mit <kkkk>";
  if (referenz->get(S::UstZeile) != 99) return text + " hat nicht die\rerwartete UST-Zeile 99 !";
  return std::nullopt;
}

}  // namespace

bool sachkonto_pruefen(Mandant& m, const Satz& konto, Pruefmeldung& meldung) {
  const Satz& basis = m.basis;
  const bool alle = meldung.alle_pruefen();
  bool ok = true;
  // A failure that stops the save: in a dialog it ends the checks.
  auto stopp = [&](const std::string& text) {
    meldung.melde(text);
    ok = false;
    return !alle;
  };
  const std::int32_t nummer = kontowert(konto.get(S::Kontonummer));
  // 1. The range (a warning).
  if (!im_sachbereich(basis, nummer))
    meldung.melde("Kontonummer liegt nicht im Nummernkreis der Sachkonten!");
  // 2. The kind.
  const int art = konto.get(S::Kontenart);
  if (art > 5 && stopp("Kontenart ist ungültig!")) return false;
  // 3. Cash, output and input VAT accounts carry no tax key.
  const int schluessel = konto.get(S::Steuerschluessel);
  if ((art == 1 || art == 2 || art == 4) && schluessel != 0 &&
      stopp("Steuerschlüssel muß zu diesem Konto Null sein!"))
    return false;
  // 4. The group codes of the four assignments: each once, each known (warnings).
  gruppen_pruefen(m, konto, meldung);
  // 5. The tax key of kinds 0 to 4.
  if (art <= 4) {
    if (schluessel > 40) {
      if (stopp("Bitte Steuerschlüssel 0..40 eintragen!")) return false;
    } else if (schluessel != 0 && !steuerkonto_da(basis, schluessel)) {
      meldung.melde("Steuerkonto zu Steuerschlüssel " + std::to_string(schluessel) +
                    " nicht eingetragen!");
    }
  }
  // 6. An intra-EU acquisition uses key k for the output and k+1 for the
  // input tax; the key is fixed at posting.
  if (art == 5) {
    if (schluessel < 1 || schluessel > 39) {
      if (stopp("EG-Erwerbskonto: Bitte Steuerschlüssel 1..39 eintragen!")) return false;
    } else {
      if (!steuerkonto_da(basis, schluessel) &&
          stopp("EG-Erwerbskonto: Steuerkonto zu Steuerschlüssel " + std::to_string(schluessel) +
                " nicht eingetragen!"))
        return false;
      if (!steuerkonto_da(basis, schluessel + 1) &&
          stopp("Steuerkonto zu Steuerschlüssel " + std::to_string(schluessel + 1) +
                " nicht eingetragen!"))
        return false;
    }
    if (konto.get(S::SteuerschluesselAenderbar) &&
        stopp("Der Steuerschlüssel ist bei diesem Konto bei der Buchung nicht änderbar!"))
      return false;
  }
  // 7. The reference account of the second name line.
  if (auto text = referenz_falsch(m, konto, nummer); text && stopp(*text)) return false;
  return ok;
}

// --- The dialog ---

namespace {

// The fields of the dialog that show the account's record, in form order.
const Formularbindung& sachkonto_bindung() {
  static const Formularbindung b = [] {
    Formularbindung t;
    t.text(TFSachkonto::f_bez1, "Bezeichnung", S::Bezeichnung1)
        .text(TFSachkonto::f_bez2, "Bezeichnung 2", S::Bezeichnung2)
        .text(TFSachkonto::f_suchname, "Suchname", S::Suchname)
        .betrag(TFSachkonto::f_budget, "Budget", S::Budget, "############.##")
        .janein(TFSachkonto::f_kostenstellenzwang, "Kostenstellenzwang", S::Kostenstellenzwang)
        .janein(TFSachkonto::f_sammelkonto, "Sammelkonto", S::Sammelkonto)
        .byte(TFSachkonto::f_kontenart, "Kontenart", S::Kontenart)
        .byte(TFSachkonto::f_ustzeile, "UST-Zeile", S::UstZeile, 0, 99)
        .byte(TFSachkonto::f_steuerschluessel, "Steuerschlüssel", S::Steuerschluessel)
        .janein(TFSachkonto::f_aenderbar, "Steuerschlüssel bei Buchung änderbar",
                S::SteuerschluesselAenderbar)
        // A byte the chart list prints as "DA"; the DATEV hand-over sends a
        // tax key with the bookings of an account that has it.
        .janein(TFSachkonto::f_datev, "Datev-Steuerschlüssel übergeben",
                JaNeinFeld{S::DatevSteuerschluessel.offset});
    for (int i = 0; i < 4; ++i)
      t.text(TFSachkonto::f_zuordnung + 2 * i, std::string(zuordnungsnamen[i]) + " Vorzeichen",
             S::zuordnung_art(i), 1)
          .text(TFSachkonto::f_zuordnung + 2 * i + 1, zuordnungsnamen[i], S::zuordnung_code(i), 10);
    t.janein(TFSachkonto::f_uebernahme, "Übernahme Jahreswechsel", S::UebernahmeJahreswechsel)
        .datum(TFSachkonto::f_eroeffnung, "Datum der Kontoeröffnung", S::Eroeffnungsdatum)
        .janein(TFSachkonto::f_bebucht, "Bebucht", S::Bebucht)
        .nur_anzeige();
    return t;
  }();
  return b;
}

}  // namespace

TFSachkonto::TFSachkonto(Mandant& m)
    : Kontodialog(m, "Pflege der Sachkonten",
                  {*m.sach, {S::Kontonummer, S::Nummer, S::Eroeffnungsdatum, S::Bebucht}, f_nummer,
                   f_bez1, "Kontonummer stimmt nicht mit Nummernkreis überein!",
                   [](const Satz& b, const std::string& k) { return im_sachbereich(b, kontowert(k)); },
                   sachkonto_bebucht, sachkonto_pruefen}) {
  form_.AddLongInt(f_nummer, "Kontonummer", 0, 0, 99999999);
  sachkonto_bindung().felder_anlegen(form_, Satz(S::groesse));
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == f_nummer) return nummer_verlassen();
    // A cash or VAT account carries no tax key: the field is cleared and locked.
    if (nr == f_kontenart) {
      const auto art = f.zahl(f_kontenart);
      if (art == 1 || art == 2 || art == 4) f.setze_zahl(f_steuerschluessel, 0);
      steuerschluessel_sperre();
    }
    return true;
  });
  tasten_anlegen();
}

void TFSachkonto::tasten_anlegen() {
  form_.AddKey(Taste::Esc, "&Ende", [this](TEntryForm&) {
    return speichern() ? Reaktion::Speichern : Reaktion::Weiter;
  });
  form_.AddKey(Taste::F2, "&Liste", [this](TEntryForm&) { return liste(1); });
  form_.AddKey(Taste::F3, "&Suchnamen", [this](TEntryForm&) { return liste(2); });
  form_.AddKey(Taste::F4, "&Kontenarten", [this](TEntryForm&) { return kontenarten(); });
  form_.AddKey(Taste::F5, "S&teuerkonten", [this](TEntryForm&) { return steuerkonten(); });
  form_.AddKey(Taste::F6, "&BWA-Liste", [this](TEntryForm&) { return bwa_liste(); });
  form_.AddKey(Taste::F7, "&Umsätze", [this](TEntryForm&) { return umsaetze(); });
  form_.AddKey(Taste::F8, "&Löschen", [this](TEntryForm&) {
    // The file refuses posted accounts and those of the base data itself.
    return loeschen("Wollen Sie dieses Sachkonto löschen?");
  });
  form_.AddKey(Taste::F9, "&Info", [this](TEntryForm&) { return info(); });
  form_.AddKey(Taste::F10, "U&mbenenn", [this](TEntryForm&) { return umbenennen(); });
  form_.AddKey(Taste::Keine, "K&opieren", [this](TEntryForm&) { return kopieren(); });
  form_.AddKey(Taste::BildAuf, "&<", [this](TEntryForm&) { return blaettern(false); });
  form_.AddKey(Taste::BildAb, "&>", [this](TEntryForm&) { return blaettern(true); });
}

Reaktion TFSachkonto::kontenarten() {
  TEntryForm& f = form_;
  std::vector<std::string> zeilen;
  for (int a = 0; a <= 5; ++a)
    zeilen.push_back(std::to_string(a) + "  " + (a == 0 ? "Standard" : kontenart_name(a)));
  auto liste = Zeilenbrowser::aus_zeilen("Liste der Kontenarten", zeilen);
  if (auto wahl = winpicklist(f.ui(), liste)) {
    f.eingabe(f_kontenart, wahl->zeile.substr(0, 1));
    steuerschluessel_sperre();
  }
  return Reaktion::Weiter;
}

Reaktion TFSachkonto::steuerkonten() {
  TEntryForm& f = form_;
  std::vector<Browsereintrag> zeilen;
  for (int k = 1; k <= 40; ++k) {
    if (m_.basis.get(B::steuerkonto(k)) == 0) continue;
    char z[48];
    std::snprintf(z, sizeof z, "%2d  %8d  ", k, m_.basis.get(B::steuerkonto(k)));
    zeilen.push_back({zweistellig(k), z + format_maske(m_.basis.get(B::steuersatz(k)), 2, "###,##") +
                                          " %  " + trim(m_.basis.get(B::steuertext(k)))});
  }
  Zeilenbrowser liste("Liste der Steuerschlüssel", zeilen, "St  Konto     Satz      Bezeichnung");
  if (auto wahl = winpicklist(f.ui(), liste)) f.eingabe(f_steuerschluessel, trim(wahl->schluessel));
  return Reaktion::Weiter;
}

Reaktion TFSachkonto::bwa_liste() {
  TEntryForm& f = form_;
  tdatenbank* gruppen = bwa_gruppen(m_);
  if (!gruppen) return Reaktion::Weiter;
  std::string key;
  Zeilenbauer zeile = [](const Satz& s) {
    return padcut(s.get(BwakontoFelder::Gruppe), 10) + "  " +
           trim(s.get(BwakontoFelder::Bezeichnung));
  };
  if (gruppen->auswahl(1, "Liste der BWA-Kontengruppen", key, zeile)) {
    // Into the assignment code the cursor is in, else the BWA assignment.
    int ziel = f_zuordnung + 1;
    for (int i = 0; i < 4; ++i)
      if (f.fokus() == f_zuordnung + 2 * i || f.fokus() == f_zuordnung + 2 * i + 1)
        ziel = f_zuordnung + 2 * i + 1;
    f.eingabe(ziel, trim(key));
  }
  return Reaktion::Weiter;
}

bool TFSachkonto::ausfuehren() {
  if (m_.basis.get(B::SachBis) <= m_.basis.get(B::SachVon)) {
    m_.ui().ShowMessageMain("Bitte Nummernkreis Sachkonten prüfen!");
    return false;
  }
  form_.Execute(m_.ui());
  return true;
}

std::string TFSachkonto::key() const {
  return sachkonto_text(m_.basis, static_cast<std::int32_t>(form_.zahl(f_nummer)));
}

void TFSachkonto::form_aus_satz() {
  form_.setze_zahl(f_nummer, kontowert(konto_.get(S::Kontonummer)));
  sachkonto_bindung().zeigen(form_, konto_);
  steuerschluessel_sperre();
}

void TFSachkonto::satz_aus_form() { sachkonto_bindung().uebernehmen(form_, konto_); }

// Cash, output and input VAT accounts carry no tax key.
void TFSachkonto::steuerschluessel_sperre() {
  const auto art = form_.zahl(f_kontenart);
  form_.ProtectControl(f_steuerschluessel, art == 1 || art == 2 || art == 4);
}

Reaktion TFSachkonto::liste(int key_nr) {
  if (!speichern()) return Reaktion::Weiter;
  const int laenge = m_.basis.get(B::SachLaenge);
  const bool nach_nummer = key_nr == 1;
  Zeilenbauer zeile = [laenge, nach_nummer](const Satz& s) {
    std::string z = padcut(s.get(S::Kontonummer), laenge) + "  " + trim(s.get(S::Bezeichnung1));
    return nach_nummer ? z : padcut(s.get(S::Suchname), 18) + "  " + z;
  };
  std::string kopf = padcut("Nr.", laenge) + "  Kontoname";
  if (!nach_nummer) kopf = padcut("Suchname", 18) + "  " + kopf;
  std::string k = !gewaehlt_ ? "" : nach_nummer ? key() : trim(konto_.get(S::Suchname));
  if (m_.sach->auswahl(key_nr, nach_nummer ? "Liste der Sachkonten" : "Liste der Sachkonten nach Suchnamen",
                       k, zeile, kopf))
    laden(trim(m_.sach->satz().get(S::Kontonummer)));
  return Reaktion::Weiter;
}

Reaktion TFSachkonto::info() {
  if (!gewaehlt_) return Reaktion::Weiter;
  TEntryForm f("Info Sachkontostamm");
  f.AddDate(1, "Datum der Kontoeröffnung", konto_.get(S::Eroeffnungsdatum));
  f.ProtectControl(1);
  vorjahre_hinzufuegen(f, 12, m_.jahr(), summen(konto_));
  for (int i = 0; i < 10; ++i) {
    f.AddString(30 + 2 * i, "BWA " + std::to_string(i + 1) + " Vorzeichen", konto_.get(S::bwa_art(i)), 1);
    f.AddString(31 + 2 * i, "BWA " + std::to_string(i + 1), konto_.get(S::bwa_code(i)), 10);
  }
  if (!f.Execute(form_.ui())) return Reaktion::Weiter;
  for (int i = 0; i < 10; ++i) {
    konto_.set(S::bwa_art(i), f.text(30 + 2 * i));
    konto_.set(S::bwa_code(i), f.text(31 + 2 * i));
  }
  if (f.geaendert()) form_.setze_geaendert(true);
  return Reaktion::Weiter;
}

Reaktion TFSachkonto::umsaetze() {
  if (!gewaehlt_) return Reaktion::Weiter;
  umsaetze_drucken(m_, form_.ui(), "Umsätze Sachkonto",
                   "Sachkonto " + trim(konto_.get(S::Kontonummer)) + "  " +
                       trim(konto_.get(S::Bezeichnung1)),
                   summen(konto_));
  return Reaktion::Weiter;
}


// The target of a renaming or a copy: in the GL range and not taken.
bool TFSachkonto::neue_nummer_frei(std::int32_t neu) {
  if (!im_sachbereich(m_.basis, neu)) {
    form_.ui().ShowMessageParent("Kontonummer stimmt nicht mit Nummernkreis überein!");
    return false;
  }
  if (sachkonto_lesen(m_, neu)) {
    form_.ui().ShowMessageParent("Das Konto existiert bereits!");
    return false;
  }
  return true;
}

Reaktion TFSachkonto::umbenennen() {
  if (!gewaehlt_ || !speichern()) return Reaktion::Weiter;
  TEntryForm f("Sachkonto umbenennen");
  f.FrageDatenSpeichern(false);
  f.AddLongInt(1, "Altes Sachkonto", static_cast<std::int32_t>(form_.zahl(f_nummer)), 0, 99999999);
  f.ProtectControl(1);
  f.AddLongInt(2, "Neues Sachkonto", 0, 0, 99999999);
  Interaktion& ui = form_.ui();
  f.beim_speichern([&](TEntryForm& g) {
    const auto neu = static_cast<std::int32_t>(g.zahl(2));
    if (konto_.get(S::Bebucht)) {
      ui.ShowMessageParent("Das Sachkonto ist bebucht und kann nicht umbenannt werden!");
      return false;
    }
    if (ist_basiskonto(m_.basis, kontowert(konto_.get(S::Kontonummer)))) {
      ui.ShowMessageParent(
          "Das Sachkonto ist ein Forderungs-, Verbindlichkeits- oder Steuerkonto! Bitte das Konto "
          "zuerst als Sonderkonto deaktivieren.");
      return false;
    }
    return neue_nummer_frei(neu);
  });
  if (!f.Execute(ui)) return Reaktion::Weiter;
  const std::string alt = key();
  const std::string neu = sachkonto_text(m_.basis, static_cast<std::int32_t>(f.zahl(2)));
  // Stored under the new number first: the old one goes only when the new
  // one is there, so a failure never loses the account.
  m_.sach->satz() = konto_;
  m_.sach->speichern(neu);
  if (!m_.sach->key_vorhanden(1, neu)) return Reaktion::Weiter;
  if (m_.sach->suchen(alt)) m_.sach->loeschen(alt);
  laden(neu);
  return Reaktion::Weiter;
}

Reaktion TFSachkonto::kopieren() {
  if (!gewaehlt_ || !speichern()) return Reaktion::Weiter;
  TEntryForm f("Sachkonto kopieren");
  f.FrageDatenSpeichern(false);
  f.AddLongInt(1, "Neues Sachkonto", 0, 0, 99999999);
  Interaktion& ui = form_.ui();
  f.beim_speichern([&](TEntryForm& g) {
    const auto neu = static_cast<std::int32_t>(g.zahl(1));
    return neue_nummer_frei(neu);
  });
  if (!f.Execute(ui)) return Reaktion::Weiter;
  // The fields of the dialog go over; balances, totals and bookings do not.
  Satz kopie(SachFelder::groesse);
  const Satz& s = konto_;
  for (const TextFeld& t : {S::Bezeichnung1, S::Bezeichnung2, S::Suchname})
    kopie.set(t, s.get(t));
  kopie.set(S::Budget, s.get(S::Budget));
  for (const JaNeinFeld& j : {S::Kostenstellenzwang, S::Sammelkonto, S::UebernahmeJahreswechsel,
                              S::SteuerschluesselAenderbar})
    kopie.set(j, s.get(j));
  kopie.set(S::Kontenart, s.get(S::Kontenart));
  kopie.set(S::UstZeile, s.get(S::UstZeile));
  kopie.set(S::Steuerschluessel, s.get(S::Steuerschluessel));
  kopie.set(S::DatevSteuerschluessel, s.get(S::DatevSteuerschluessel));
  for (int i = 0; i < 4; ++i) {
    kopie.set(S::zuordnung_art(i), s.get(S::zuordnung_art(i)));
    kopie.set(S::zuordnung_code(i), s.get(S::zuordnung_code(i)));
  }
  for (int i = 0; i < 10; ++i) {
    kopie.set(S::bwa_art(i), s.get(S::bwa_art(i)));
    kopie.set(S::bwa_code(i), s.get(S::bwa_code(i)));
  }
  kopie.set(S::Eroeffnungsdatum, m_.tagesdatum().Today());
  m_.sach->satz() = kopie;
  m_.sach->speichern(sachkonto_text(m_.basis, static_cast<std::int32_t>(f.zahl(1))));
  return Reaktion::Weiter;
}

// --- Lists ---

namespace {

// Columns of the chart, at the places of their titles.
constexpr const char* plan_kopf =
    "Kontonr   Suchname           Bezeichnung              Sa Art UZ St Bu BilanzSoll  "
    "BilanzHaben G+V         BWA        JW DA";
constexpr const char* kurz_kopf = "Kontonr     Bezeichnung";
constexpr int plan_breite = 132;

std::string kurzzeichen(int art) {
  static const char* const z[] = {"", "K", "M", "U", "V", "EG"};
  return art >= 0 && art <= 5 ? z[art] : std::to_string(art);
}

std::string zuordnung(const Satz& s, int i) {
  return trim(s.get(S::zuordnung_art(i))) + trim(s.get(S::zuordnung_code(i)));
}

std::string ja(bool b) { return b ? "J" : " "; }

std::string planzeile(const Satz& s) {
  std::string z = padcut(trim(s.get(S::Kontonummer)), 10) + padcut(s.get(S::Suchname), 19) +
                  padcut(s.get(S::Bezeichnung1), 25) + padcut(ja(s.get(S::Sammelkonto)), 3) +
                  padcut(kurzzeichen(s.get(S::Kontenart)), 4) +
                  padlinks(std::to_string(s.get(S::UstZeile)), 2) + " " +
                  padlinks(std::to_string(s.get(S::Steuerschluessel)), 2) + " " +
                  padcut(ja(s.get(S::Bebucht)), 3) + padcut(zuordnung(s, 1), 12) +
                  padcut(zuordnung(s, 2), 12) + padcut(zuordnung(s, 3), 12) +
                  padcut(zuordnung(s, 0), 11) + padcut(ja(s.get(S::UebernahmeJahreswechsel)), 3) +
                  padlinks(std::to_string(s.get(S::DatevSteuerschluessel)), 2);
  return z;
}

}  // namespace

void sachkontenplan_drucken(Mandant& m, std::int32_t von, std::int32_t bis, bool kurz) {
  Ausgabe3 d(m.ui());
  if (!d.open_drucker("Sachkontenplan")) return;
  d.schmal(!kurz);
  const Seitenkopf kopf = seitenkopf(m, "Sachkontenplan", kurz ? 79 : plan_breite);
  auto seitenanfang = [&](Ausgabe3& a) {
    drucke_seitenkopf(a, kopf);
    a.druckeln(kurz ? kurz_kopf : plan_kopf);
    a.druckeln();
  };
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  std::string k = sachkonto_text(m.basis, von);
  const std::string ende = sachkonto_text(m.basis, bis);
  // The first account at or after `von`, then on in key order.
  bool ok = m.sach->suche_ab(1, k) && m.sach->suchen(k);
  while (ok && trim(k) <= ende) {
    const Satz& s = m.sach->satz();
    if (kurz)
      d.druckeln(padcut(trim(s.get(S::Kontonummer)), 12) + trim(s.get(S::Bezeichnung1)) +
                 (trim(s.get(S::Bezeichnung2)).empty() ? "" : " " + trim(s.get(S::Bezeichnung2))));
    else
      d.druckeln(planzeile(s));
    ok = m.sach->lies_weiter(1, k);
  }
  d.close_drucker();
}

void sachkontenplan(Mandant& m) {
  TEntryForm f("Liste der Sachkonten");
  f.EscBefehl("&Drucken");
  f.AddLongInt(1, "Von Konto", m.basis.get(B::SachVon), 0, 99999999);
  f.AddLongInt(2, "Bis Konto", m.basis.get(B::SachBis), 0, 99999999);
  f.AddYesNo(3, "Kurzliste", false);
  f.FrageDatenSpeichern(false);
  if (!f.Execute(m.ui())) return;
  sachkontenplan_drucken(m, static_cast<std::int32_t>(f.zahl(1)), static_cast<std::int32_t>(f.zahl(2)),
                         f.ja(3));
}

void sachkonten_loeschen(Mandant& m) {
  konten_loeschen(
      m, *m.sach, "Löschen von Sachkonten",
      [&m](std::int32_t n) { return sachkonto_text(m.basis, n); },
      [&m] { m.sach->satz().set(S::Bebucht, sachkonto_bebucht(m, m.sach->satz())); });
}

}  // namespace fibu
