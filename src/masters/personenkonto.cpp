#include "masters/personenkonto.h"

#include <cstdio>

#include "masters/kontohilfen.h"
#include "masters/sachkonto.h"
#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "suite/betrag.h"
#include "suite/browser.h"
#include "suite/codepage.h"
#include "suite/formularbindung.h"
#include "suite/iban.h"
#include "suite/numkeys.h"

namespace fibu {
namespace {

using P = PersonenFelder;
using B = BasisFelder;

const std::vector<std::string> mahnarten = {"normal", "gesperrt", "Lastschrift"};

bool im_personenbereich(const Satz& basis, const std::string& konto) {
  return ist_debitor(basis, konto) || ist_kreditor(basis, konto);
}

// The collective GL account of a personal account's key (0 when unset).
std::int32_t sammelkonto(const Satz& basis, const std::string& konto, int schluessel) {
  if (schluessel < 1 || schluessel > 40) return 0;
  if (ist_debitor(basis, konto)) return basis.get(B::forderungskonto(schluessel));
  if (ist_kreditor(basis, konto)) return basis.get(B::verbindlichkeitskonto(schluessel));
  return 0;
}

Kontosummen summen(const Satz& k) {
  return {k.get(P::Eroeffnungssaldo), [&k](int p) { return k.get(P::soll(p)); },
          [&k](int p) { return k.get(P::haben(p)); },
          [&k](int j) { return k.get(P::vorjahr_soll(j)); },
          [&k](int j) { return k.get(P::vorjahr_haben(j)); }};
}

std::string zahl(long long n, int breite) {
  char p[32];
  std::snprintf(p, sizeof p, "%*lld", breite, n);
  return p;
}

std::string prozent(std::int64_t tausendstel) {
  return format_maske(tausendstel, 3, "##.###");
}

}  // namespace

std::string personenkonto_praefix(const Satz& konto) {
  return "Personenkonto " + trim(konto.get(P::Kontonr)) + ": ";
}

bool personenkonto_bebucht(Mandant& m, const Satz& konto) {
  return konto_bebucht(m, summen(konto), kontowert(konto.get(P::Kontonr)));
}

bool personenkonto_pruefen(Mandant& m, const Satz& konto, Pruefmeldung& meldung) {
  const Satz& basis = m.basis;
  const bool alle = meldung.alle_pruefen();
  bool ok = true;
  const std::string nummer = trim(konto.get(P::Kontonr));
  // 1. The ranges (a warning).
  if (!im_personenbereich(basis, nummer))
    meldung.melde("Kontonummer liegt nicht im Nummernkreis der Personenkonten!");
  // 2. A dunning code, unless dunning is blocked or by direct debit.
  if (konto.get(P::Mahnen) == 0) {
    const int mkz = konto.get(P::Mkz);
    if (mkz < 1 || mkz > 99) {
      meldung.melde("Mahnkennziffer ist nicht 1..99!");
      ok = false;
      if (!alle) return false;
    }
  }
  // 3. The collective key.
  const int schluessel = konto.get(P::Sammelkonto);
  if (schluessel < 1 || schluessel > 40) {
    meldung.melde("Forder-/Verbindlichkeitsschluessel ist nicht 1..40!");
    return false;
  }
  // 4. Its collective account in the base data (a warning).
  if (sammelkonto(basis, nummer, schluessel) == 0) {
    if (ist_debitor(basis, nummer))
      meldung.melde("Forderkonto zu dem Schluessel " + std::to_string(schluessel) +
                    " nicht eingetragen!");
    else if (ist_kreditor(basis, nummer))
      meldung.melde("Verbindlichkeitskonto zu dem Schluessel " + std::to_string(schluessel) +
                    " nicht eingetragen!");
  }
  return ok;
}

Ergebnis adressen_lesen(Dateisystem& fs, const std::string& verzeichnis,
                        std::vector<Adresse>& aus) {
  aus.clear();
  const std::string pfad = pfad_verbinden(verzeichnis, "ADRESSEN.TXT");
  if (!fs.existiert(pfad)) return Ergebnis::erfolg();
  std::string inhalt;
  if (Ergebnis e = fs.lies_datei(pfad, inhalt); !e) return e;
  std::size_t pos = 0;
  while (pos < inhalt.size()) {
    std::size_t ende = inhalt.find('\n', pos);
    if (ende == std::string::npos) ende = inhalt.size();
    std::string zeile = nach_utf8(inhalt.substr(pos, ende - pos), Codepage::CP1252);
    pos = ende + 1;
    if (!zeile.empty() && zeile.back() == '\r') zeile.pop_back();
    if (trim(zeile).empty() || zeile.rfind("Kundennr", 0) == 0) continue;
    std::vector<std::string> f;
    for (std::size_t a = 0;;) {
      std::size_t b = zeile.find('|', a);
      f.push_back(trim(zeile.substr(a, b == std::string::npos ? std::string::npos : b - a)));
      if (b == std::string::npos) break;
      a = b + 1;
    }
    f.resize(7);
    aus.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
  }
  return Ergebnis::erfolg();
}

Ergebnis adresse_sperren(Dateisystem& fs, const std::string& verzeichnis,
                         const std::string& kundennr, bool& gefunden) {
  gefunden = false;
  const std::string pfad = pfad_verbinden(verzeichnis, "ADRESSEN.TXT");
  if (!fs.existiert(pfad)) return Ergebnis::erfolg();
  std::string inhalt;
  if (Ergebnis e = fs.lies_datei(pfad, inhalt); !e) return e;
  std::string neu;
  for (std::size_t pos = 0; pos < inhalt.size();) {
    std::size_t ende = inhalt.find('\n', pos);
    ende = ende == std::string::npos ? inhalt.size() : ende + 1;
    std::string zeile = inhalt.substr(pos, ende - pos);
    pos = ende;
    std::string rumpf = zeile;
    std::string schluss;
    while (!rumpf.empty() && (rumpf.back() == '\n' || rumpf.back() == '\r')) {
      schluss.insert(schluss.begin(), rumpf.back());
      rumpf.pop_back();
    }
    const auto strich = rumpf.find('|');
    if (strich != std::string::npos && trim(rumpf.substr(0, strich)) == kundennr &&
        rumpf.rfind("Kundennr", 0) != 0) {
      gefunden = true;
      std::vector<std::string> f;
      for (std::size_t a = 0;;) {
        const std::size_t b = rumpf.find('|', a);
        f.push_back(rumpf.substr(a, b == std::string::npos ? std::string::npos : b - a));
        if (b == std::string::npos) break;
        a = b + 1;
      }
      f.resize(8);
      f[7] = "J";
      rumpf.clear();
      for (std::size_t i = 0; i < f.size(); ++i) rumpf += (i ? "|" : "") + f[i];
    }
    neu += rumpf + schluss;
  }
  if (!gefunden) return Ergebnis::erfolg();
  return fs.schreibe_datei_atomar(pfad, neu);
}

// --- The dialog ---

namespace {

// The fields of the dialog that show the account's record, in form order.
const Formularbindung& personenkonto_bindung() {
  using T = TFPersonenkonto;
  static const Formularbindung b = [] {
    Formularbindung t;
    t.text(T::f_anrede, "Anrede", P::Anrede)
        .text(T::f_name, "Name", P::Name)
        .text(T::f_titel, "Titel", P::Titel)
        .text(T::f_strasse, "Straße", P::Strasse)
        .text(T::f_plz_ort, "PLZ/Ort", P::PlzOrt)
        .text(T::f_telefon, "Telefon", P::Telefon)
        .text(T::f_suchname, "Suchname", P::Suchname)
        .text(T::f_egid, "EG-Id", P::EgId)
        .byte(T::f_filter, "Filter", P::Filter, 0, 99)
        .betrag(T::f_limit, "Limit", P::Limit, "9999999.99")
        .text(T::f_bankname, "Bankname", P::Bankname)
        .text(T::f_blz, "BLZ", P::Blz)
        .text(T::f_bankkonto, "Kontonummer", P::Bankkonto)
        .text(T::f_iban, "IBAN", P::Iban)
        .getrimmt()
        .text(T::f_bic, "BIC", P::Bic)
        .getrimmt()
        .text(T::f_mandat, "Mandatsreferenz", P::Mandatsreferenz)
        .getrimmt()
        .datum(T::f_mandatsdatum, "Mandatsdatum", P::Mandatsdatum)
        .word(T::f_nettotage, "Nettotage", P::Nettotage, 0, 9999)
        .betrag(T::f_skonto1, "Skonto1 %", P::Skonto1, "##.###", 3)
        .word(T::f_skontotage1, "Skontotage1", P::Skontotage1, 0, 9999)
        .betrag(T::f_skonto2, "Skonto2 %", P::Skonto2, "##.###", 3)
        .word(T::f_skontotage2, "Skontotage2", P::Skontotage2, 0, 9999)
        .byte(T::f_sammelkonto, "Forderungskonto", P::Sammelkonto)
        .eigenes([](TEntryForm& f) {
          f.AddString(T::f_sammelkonto_text, "Sammelkonto", "", 40);
          f.ProtectControl(T::f_sammelkonto_text);
        })
        .janein(T::f_summe, "Summe in Saldenliste", P::SummeInSaldenliste)
        .janein(T::f_diverse, "Verwendung für diverse Kunden", P::Diverse)
        .byte(T::f_mkz, "MKZ", P::Mkz)
        .auswahl(T::f_mahnen, "Mahnen", P::Mahnen, mahnarten)
        .datum(T::f_eroeffnung, "Datum der Kontoeröffnung", P::Eroeffnungsdatum)
        .janein(T::f_bebucht, "Bebucht", P::Bebucht)
        .nur_anzeige();
    return t;
  }();
  return b;
}

}  // namespace

TFPersonenkonto::TFPersonenkonto(Mandant& m, std::string adressverzeichnis)
    : Kontodialog(m, "Pflege der Personenkonten",
                  {*m.personen,
                   {P::Kontonr, P::Kontonummer, P::Eroeffnungsdatum, P::Bebucht},
                   f_nummer,
                   f_anrede,
                   "Kontonummer stimmt nicht mit Nummernkreisen überein!",
                   im_personenbereich,
                   personenkonto_bebucht,
                   personenkonto_pruefen}),
      adressverzeichnis_(std::move(adressverzeichnis)) {
  const Satz& b = m.basis;
  form_.AddLongInt(f_nummer, "Kontonr", 0, 0, 99999999);
  form_.AddString(f_bereiche, "Nummernkreise",
                  "(Deb: " + std::to_string(b.get(B::DebitorVon)) + "-" +
                      std::to_string(b.get(B::DebitorBis)) +
                      "    Kred: " + std::to_string(b.get(B::KreditorVon)) + "-" +
                      std::to_string(b.get(B::KreditorBis)) + ")",
                  60);
  form_.ProtectControl(f_bereiche);
  Satz vorgabe(P::groesse);  // what the fields show before an account is chosen
  vorgabe.set(P::Sammelkonto, std::uint8_t{1});
  vorgabe.set(P::Mkz, std::uint8_t{1});
  personenkonto_bindung().felder_anlegen(form_, vorgabe);
  form_.beim_verlassen([this](TEntryForm& f, int nr) {
    if (nr == f_nummer) return nummer_verlassen();
    if (nr == f_iban || nr == f_bic) return bankkennung_verlassen(nr);
    if (nr == f_sammelkonto && gewaehlt_) {
      f.setze_text(f_sammelkonto_text,
                   sammelkonto_anzeige(m_.basis, key(), static_cast<int>(f.zahl(f_sammelkonto))));
    }
    return true;
  });
  form_.AddKey(Taste::Esc, "&Ende", [this](TEntryForm&) {
    return speichern() ? Reaktion::Speichern : Reaktion::Weiter;
  });
  form_.AddKey(Taste::F2, "&Liste", [this](TEntryForm&) { return liste(1); });
  form_.AddKey(Taste::F3, "&Suchnamen", [this](TEntryForm&) { return liste(2); });
  form_.AddKey(Taste::F4, "&Adressliste", [this](TEntryForm&) { return adresse(); });
  form_.AddKey(Taste::F5, "Adreß&pflege", [](TEntryForm& f) {
    f.ui().ShowMessageParent(
        "Die Adressen werden im Adreßstamm der Ornamentix-Programme gepflegt.");
    return Reaktion::Weiter;
  });
  form_.AddKey(Taste::F6, "&Filter", [this](TEntryForm& f) {
    std::vector<Browsereintrag> zeilen;
    for (int n = 1; n <= 99; ++n)
      if (std::string name = trim(m_.basis.get(B::filtername(n))); !name.empty())
        zeilen.push_back({zahl(n, 2), zahl(n, 2) + "  " + name});
    Zeilenbrowser liste("Liste der Filterkennziffern", zeilen);
    if (auto wahl = winpicklist(f.ui(), liste)) f.eingabe(f_filter, trim(wahl->schluessel));
    return Reaktion::Weiter;
  });
  form_.AddKey(Taste::F7, "&Umsätze", [this](TEntryForm&) { return umsaetze(); });
  form_.AddKey(Taste::F8, "L&öschen", [this](TEntryForm&) {
    return loeschen("Wollen Sie dieses Personenkonto löschen?");
  });
  form_.AddKey(Taste::F9, "&Infos", [this](TEntryForm&) { return info(); });
  form_.AddKey(Taste::BildAuf, "&<", [this](TEntryForm&) { return blaettern(false); });
  form_.AddKey(Taste::BildAb, "&>", [this](TEntryForm&) { return blaettern(true); });
}

bool TFPersonenkonto::bankkennung_verlassen(int nr) {
  const std::string wert = iban_normal(form_.text(nr));
  form_.setze_text(nr, wert);
  if (wert.empty()) return true;
  if (nr == f_iban && !iban_gueltig(wert)) {
    m_.ui().ShowMessageMain(
        "Die IBAN ist ungültig: Aufbau oder Prüfziffern stimmen nicht!\rBitte prüfen Sie die "
        "Eingabe.");
    return false;
  }
  if (nr == f_bic && !bic_gueltig(wert)) {
    m_.ui().ShowMessageMain("Der BIC muss 8 oder 11 Buchstaben und Ziffern haben!");
    return false;
  }
  return true;
}

bool TFPersonenkonto::ausfuehren() {
  const Satz& b = m_.basis;
  if (b.get(B::DebitorBis) <= b.get(B::DebitorVon)) {
    m_.ui().ShowMessageMain("Bitte Nummernkreis Debitoren prüfen!");
    return false;
  }
  if (b.get(B::KreditorBis) <= b.get(B::KreditorVon)) {
    m_.ui().ShowMessageMain("Bitte Nummernkreis Kreditoren prüfen!");
    return false;
  }
  form_.Execute(m_.ui());
  return true;
}

std::string TFPersonenkonto::key() const {
  return personenkonto_text(m_.basis, static_cast<std::int32_t>(form_.zahl(f_nummer)));
}

void TFPersonenkonto::form_aus_satz() {
  const Satz& s = konto_;
  form_.setze_zahl(f_nummer, kontowert(s.get(P::Kontonr)));
  personenkonto_bindung().zeigen(form_, s);
  form_.setze_text(f_sammelkonto_text,
                   sammelkonto_anzeige(m_.basis, s.get(P::Kontonr), s.get(P::Sammelkonto)));
}

void TFPersonenkonto::satz_aus_form() {
  personenkonto_bindung().uebernehmen(form_, konto_);
  // The file keeps the rates also as the numbers the display fields held.
  konto_.setze_f64(P::Skonto1Anzeige, static_cast<double>(konto_.get(P::Skonto1)) / 1000.0);
  konto_.setze_f64(P::Skonto2Anzeige, static_cast<double>(konto_.get(P::Skonto2)) / 1000.0);
}

Reaktion TFPersonenkonto::liste(int key_nr) {
  if (!speichern()) return Reaktion::Weiter;
  const int laenge = m_.basis.get(B::PersonenLaenge);
  const bool nach_nummer = key_nr == 1;
  Zeilenbauer zeile = [laenge, nach_nummer](const Satz& s) {
    std::string name = trim(s.get(P::Name));
    if (std::string t = trim(s.get(P::Titel)); !t.empty()) name += " " + t;
    return nach_nummer ? padcut(s.get(P::Kontonr), laenge) + "  " + name
                       : padcut(s.get(P::Suchname), 18) + "  " + name;
  };
  const std::string kopf = nach_nummer ? padcut("Nr.", laenge) + "  Kontoname und Titel"
                                       : padcut("Suchname", 18) + "  Name und Titel";
  std::string k = !gewaehlt_ ? "" : nach_nummer ? key() : trim(konto_.get(P::Suchname));
  if (m_.personen->auswahl(key_nr, "Liste der Personenkonten", k, zeile, kopf))
    laden(trim(m_.personen->satz().get(P::Kontonr)));
  return Reaktion::Weiter;
}

Reaktion TFPersonenkonto::adresse() {
  if (!gewaehlt_) return Reaktion::Weiter;
  std::vector<Adresse> adressen;
  if (Ergebnis e = adressen_lesen(m_.fs(), adressverzeichnis_, adressen); !e) {
    form_.ui().ShowMessageParent(e.text());
    return Reaktion::Weiter;
  }
  std::vector<Browsereintrag> zeilen;
  for (std::size_t i = 0; i < adressen.size(); ++i) {
    char k[24];
    std::snprintf(k, sizeof k, "%08zu", i);
    zeilen.push_back({k, padcut(adressen[i].kundennr, 8) + "  " + padcut(adressen[i].name, 30) +
                             "  " + adressen[i].plz_ort});
  }
  Zeilenbrowser liste("Adressen", zeilen, "Kundennr  Name                            PLZ/Ort");
  auto wahl = winpicklist(form_.ui(), liste);
  if (!wahl) return Reaktion::Weiter;
  const Adresse& a = adressen[std::stoul(wahl->schluessel)];
  if (kontowert(a.kundennr) != kontowert(key()))
    form_.ui().ShowMessageParent("Ornix-Kundennr unterscheidet sich von der Personenkontonr!");
  const std::pair<int, const std::string*> felder[] = {
      {f_anrede, &a.anrede},   {f_name, &a.name},       {f_titel, &a.titel},
      {f_strasse, &a.strasse}, {f_plz_ort, &a.plz_ort}, {f_telefon, &a.telefon}};
  for (const auto& [nr, text] : felder) form_.eingabe(nr, *text);
  return Reaktion::Weiter;
}

Reaktion TFPersonenkonto::info() {
  if (!gewaehlt_) return Reaktion::Weiter;
  TEntryForm f("Infos Personenkonto");
  f.AddDate(1, "Datum der Kontoeröffnung", konto_.get(P::Eroeffnungsdatum));
  f.ProtectControl(1);
  vorjahre_hinzufuegen(f, 12, m_.jahr(), summen(konto_));
  f.FrageDatenSpeichern(false);
  f.Execute(form_.ui());
  return Reaktion::Weiter;
}

Reaktion TFPersonenkonto::umsaetze() {
  if (!gewaehlt_) return Reaktion::Weiter;
  umsaetze_drucken(
      m_, form_.ui(), "Umsätze Personenkonto",
      "Personenkonto " + trim(konto_.get(P::Kontonr)) + "  " + trim(konto_.get(P::Name)),
      summen(konto_));
  return Reaktion::Weiter;
}

// --- Lists ---

void personenkontenplan_drucken(Mandant& m, std::int32_t von, std::int32_t bis) {
  static const char* const kopf[4] = {
      "Personenkontonummer                       Straße                                    "
      "Bankname                      NTage  Mahnk",
      "Suchname                                  PLZ und Ort                               "
      "BLZ                           Sk1%   STage1",
      "Name                                      Telefon                                   "
      "Kontonummer                   Sk2%   STage2",
      "Titel                                     EG-ID                                     "
      "Fo Forderkontoname            Filter"};
  Ausgabe3 d(m.ui());
  if (!d.open_drucker("Personenkontenplan")) return;
  d.schmal();
  const Seitenkopf sk = seitenkopf(m, "Personenkontenplan", 132);
  auto seitenanfang = [&](Ausgabe3& a) {
    drucke_seitenkopf(a, sk);
    for (const char* z : kopf) a.druckeln(z);
    a.druckeln();
  };
  d.kopf_bei_umbruch(seitenanfang);
  seitenanfang(d);
  const Satz& b = m.basis;
  std::string k = personenkonto_text(b, von);
  const std::string ende = personenkonto_text(b, bis);
  bool ok = m.personen->suche_ab(1, k) && m.personen->suchen(k);
  while (ok && trim(k) <= ende) {
    const Satz& s = m.personen->satz();
    const std::string nummer = trim(s.get(P::Kontonr));
    const int schluessel = s.get(P::Sammelkonto);
    std::string sammelname;
    if (auto gl = sachkonto_lesen(m, sammelkonto(b, nummer, schluessel)))
      sammelname = trim(gl->get(SachFelder::Bezeichnung1));
    // Four lines an account; a page break never splits them.
    if (d.check(4)) {
      d.neue_seite();
      seitenanfang(d);
    }
    d.druckeln(padcut(nummer, 42) + padcut(s.get(P::Strasse), 42) + padcut(s.get(P::Bankname), 30) +
               zahl(s.get(P::Nettotage), 5) + "  " + zahl(s.get(P::Mkz), 5));
    d.druckeln(padcut(s.get(P::Suchname), 42) + padcut(s.get(P::PlzOrt), 42) +
               padcut(s.get(P::Blz), 30) + prozent(s.get(P::Skonto1)) + " " +
               zahl(s.get(P::Skontotage1), 6));
    d.druckeln(padcut(s.get(P::Name), 42) + padcut(s.get(P::Telefon), 42) +
               padcut(s.get(P::Bankkonto), 30) + prozent(s.get(P::Skonto2)) + " " +
               zahl(s.get(P::Skontotage2), 6));
    d.druckeln(padcut(s.get(P::Titel), 42) + padcut(s.get(P::EgId), 42) + zahl(schluessel, 2) +
               " " + padcut(sammelname, 27) + zahl(s.get(P::Filter), 6));
    ok = m.personen->lies_weiter(1, k);
  }
  d.close_drucker();
}

void personenkontenplan(Mandant& m) {
  TEntryForm f("Liste der Personenkonten");
  f.EscBefehl("&Drucken");
  f.AddLongInt(1, "Von Konto", m.basis.get(B::DebitorVon), 0, 99999999);
  f.AddLongInt(2, "Bis Konto", m.basis.get(B::KreditorBis), 0, 99999999);
  f.FrageDatenSpeichern(false);
  if (!f.Execute(m.ui())) return;
  personenkontenplan_drucken(m, static_cast<std::int32_t>(f.zahl(1)),
                             static_cast<std::int32_t>(f.zahl(2)));
}

void personenkonten_loeschen(Mandant& m) {
  konten_loeschen(
      m, *m.personen, "Löschen von Personenkonten",
      [&m](std::int32_t n) { return personenkonto_text(m.basis, n); },
      [&m] { m.personen->satz().set(P::Bebucht, personenkonto_bebucht(m, m.personen->satz())); });
}

}  // namespace fibu
