#include "masters/kontohilfen.h"

#include <algorithm>
#include <vector>

#include "store/kontenbereiche.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"

namespace fibu {

void umsaetze_drucken(Mandant& m, Interaktion& ui, const std::string& dokument,
                      const std::string& kontozeile, const Kontosummen& s) {
  constexpr int breite = 79;  // the line width of the page header
  Ausgabe3 d(ui);
  if (!d.open_drucker(dokument)) return;
  drucke_seitenkopf(d, seitenkopf(m, "Umsätze", breite));
  d.druckeln(kontozeile);
  d.druckeln();
  d.druckeln(padcut("Periode", 10) + padlinks("Soll", 17) + " " + padlinks("Haben", 17) + " " +
             padlinks("Saldo", 17));
  const char* maske = "##.###.###.###,##";
  auto zeile = [&](const std::string& titel, Betrag soll, Betrag haben) {
    d.druckeln(padcut(titel, 10) + format_betrag(soll, maske) + " " + format_betrag(haben, maske) +
               " " + format_betrag(soll - haben, maske));
  };
  Betrag soll = 0, haben = 0;
  zeile("EB-Wert", std::max<Betrag>(s.eroeffnung, 0), std::max<Betrag>(-s.eroeffnung, 0));
  for (int p = 1; p <= 12; ++p) {
    zeile(std::to_string(p), s.soll(p), s.haben(p));
    soll += s.soll(p);
    haben += s.haben(p);
  }
  d.druckeln(space(10) + std::string(53, '-'));
  zeile("Jahr", soll, haben);
  d.druckeln(padcut("Gesamtsaldo", 46) + format_betrag(s.eroeffnung + soll - haben, maske));
  d.close_drucker();
}

void vorjahre_hinzufuegen(TEntryForm& f, int ab, int jahr, const Kontosummen& s) {
  for (int j = 1; j <= 5; ++j) {
    const std::string vorjahr = std::to_string(jahr - j);
    f.AddComp(ab + 2 * (j - 1), "Soll " + vorjahr, s.vorjahr_soll(j));
    f.AddComp(ab + 2 * (j - 1) + 1, "Haben " + vorjahr, s.vorjahr_haben(j));
    f.ProtectControl(ab + 2 * (j - 1));
    f.ProtectControl(ab + 2 * (j - 1) + 1);
  }
}

bool kontonummer_im_bereich(TEntryForm& form, int nummer_feld, bool im_bereich,
                            const std::string& meldung) {
  if (im_bereich) return true;
  form.ui().ShowMessageParent(meldung);
  form.setze_fokus(nummer_feld);
  return false;
}

bool konto_bebucht(Mandant& m, const Kontosummen& summen, std::int32_t nummer) {
  if (summen.eroeffnung != 0) return true;
  for (int p = 1; p <= 12; ++p)
    if (summen.soll(p) != 0 || summen.haben(p) != 0) return true;
  return m.buchung && nummer != 0 && m.buchung->key_vorhanden(2, LongToKey(nummer));
}

void konten_loeschen(Mandant& m, tdatenbank& datei, const std::string& titel,
                     const std::function<std::string(std::int32_t)>& key,
                     const std::function<void()>& bebucht) {
  TEntryForm f(titel);
  f.EscBefehl("&Start");
  f.AddLongInt(1, "Von Konto", 0, 0, 99999999);
  f.AddLongInt(2, "Bis Konto", 0, 0, 99999999);
  f.FrageDatenSpeichern(false);
  if (!f.Execute(m.ui())) return;
  if (!m.ui().JaNein2("Wollen Sie diese Konten wirklich loeschen?")) return;
  const std::string bis = key(static_cast<std::int32_t>(f.zahl(2)));
  // Collected first: deleting moves the position in the index.
  std::vector<std::string> keys;
  std::string k = key(static_cast<std::int32_t>(f.zahl(1)));
  for (bool ok = datei.suche_ab(1, k); ok && trim(k) <= bis; ok = datei.weiter_key(1, k))
    keys.push_back(trim(k));
  for (const std::string& konto : keys) {
    if (!datei.suchen(konto)) continue;
    bebucht();
    datei.loeschen(konto);
  }
}

std::vector<std::string> personenkonten_nach_suchname(Mandant& m, std::int32_t von,
                                                      std::int32_t bis) {
  std::vector<std::pair<std::string, std::string>> folge;
  auto& p = *m.personen;
  std::string k = m.personenkonto_text(von);
  const std::string ende = m.personenkonto_text(bis);
  for (bool ok = p.suche_ab(1, k) && p.suchen(k); ok && trim(k) <= ende; ok = p.lies_weiter(1, k))
    folge.emplace_back(trim(p.satz().get(PersonenFelder::Suchname)), trim(k));
  std::sort(folge.begin(), folge.end());
  std::vector<std::string> nummern;
  nummern.reserve(folge.size());
  for (auto& [suchname, nummer] : folge) nummern.push_back(std::move(nummer));
  return nummern;
}

}  // namespace fibu
