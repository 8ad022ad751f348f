#include "suite/test_interaktion.h"

#include <cstdlib>

#include "suite/raster.h"

namespace fibu {

Formularschritt Formularschritt::tippe(std::string feld, std::string wert, bool erwartet_ok) {
  Formularschritt s;
  s.art = Art::Eingabe;
  s.feld = std::move(feld);
  s.wert = std::move(wert);
  s.erwartet_ok = erwartet_ok;
  return s;
}

Formularschritt Formularschritt::druecke(Taste taste) {
  Formularschritt s;
  s.art = Art::Taste;
  s.taste = taste;
  return s;
}

Formularschritt Formularschritt::klicke(std::string beschriftung) {
  Formularschritt s;
  s.art = Art::Befehl;
  s.feld = std::move(beschriftung);
  return s;
}

Formularschritt Formularschritt::zelle(int zeile, int spalte, std::string wert, bool erwartet_ok) {
  Formularschritt s;
  s.art = Art::Zelle;
  s.zeile = zeile;
  s.spalte = spalte;
  s.wert = std::move(wert);
  s.erwartet_ok = erwartet_ok;
  return s;
}

Formularschritt Formularschritt::schliesse() {
  Formularschritt s;
  s.art = Art::Schliessen;
  return s;
}

const TEntryForm::Feld* finde_formularfeld(const TEntryForm& form, const std::string& feld) {
  if (!feld.empty() && feld[0] == '#') {
    int nr = std::atoi(feld.c_str() + 1);
    return form.hat_feld(nr) ? &form.feld(nr) : nullptr;
  }
  return form.feld_mit_beschriftung(feld);
}

void TestInteraktion::erwarte_frage(const std::string& frage_teil, bool antwort) {
  fragen_erwartet_.push_back({frage_teil, antwort ? Antwort::Ja : Antwort::Nein, false});
}

void TestInteraktion::erwarte_frage_hilfe(const std::string& frage_teil, Antwort antwort) {
  fragen_erwartet_.push_back({frage_teil, antwort, true});
}

void TestInteraktion::formular_skript(std::vector<Formularschritt> schritte) {
  skripte_.push_back(std::move(schritte));
}

void TestInteraktion::waehle(std::optional<std::string> text) {
  wahlen_.push_back(std::move(text));
}

void TestInteraktion::alles_verbraucht() const {
  if (!fragen_erwartet_.empty())
    throw UnerwarteteInteraktion("Erwartete Frage kam nicht: " + fragen_erwartet_.front().teil);
  if (!skripte_.empty()) throw UnerwarteteInteraktion("Formularskript blieb unbenutzt");
  if (!wahlen_.empty()) throw UnerwarteteInteraktion("Auswahl blieb unbenutzt");
  if (!raster_skripte_.empty()) throw UnerwarteteInteraktion("Rasterskript blieb unbenutzt");
}

void TestInteraktion::raster_skript(std::function<void(Rasterformular&)> spiel) {
  raster_skripte_.push_back(std::move(spiel));
}

void TestInteraktion::raster(Rasterformular& r) {
  protokoll_.push_back("Maske: " + r.titel());
  if (raster_skripte_.empty()) throw UnerwarteteInteraktion("Maske ohne Skript: " + r.titel());
  auto spiel = std::move(raster_skripte_.front());
  raster_skripte_.pop_front();
  spiel(r);
}

void TestInteraktion::ShowMessageMain(const std::string& text) {
  meldungen_.push_back(text);
  protokoll_.push_back("Meldung: " + text);
}

Antwort TestInteraktion::beantworte(const std::string& frage, bool mit_hilfe) {
  fragen_.push_back(frage);
  if (fragen_erwartet_.empty()) throw UnerwarteteInteraktion("Unerwartete Frage: " + frage);
  Frage f = fragen_erwartet_.front();
  if (frage.find(f.teil) == std::string::npos)
    throw UnerwarteteInteraktion("Frage \"" + frage + "\" statt einer Frage mit \"" + f.teil +
                                 "\"");
  if (f.mit_hilfe != mit_hilfe)
    throw UnerwarteteInteraktion("Frage \"" + frage + "\" mit anderen Antworten als erwartet");
  fragen_erwartet_.pop_front();
  const char* text = f.antwort == Antwort::Ja     ? "Ja"
                     : f.antwort == Antwort::Nein ? "Nein"
                                                  : "Hilfe";
  protokoll_.push_back("Frage: " + frage + " -> " + text);
  return f.antwort;
}

bool TestInteraktion::JaNein2(const std::string& frage) {
  return beantworte(frage, false) == Antwort::Ja;
}

Antwort TestInteraktion::JaNeinHilfe(const std::string& frage) {
  return beantworte(frage, true);
}

void TestInteraktion::Balken_Oeffnen(const std::string& text, long maximum) {
  balken_offen_ = true;
  balken_stand_ = 0;
  balken_max_ = maximum;
  protokoll_.push_back("Balken: " + text);
}

void TestInteraktion::Balken_Max(long maximum) {
  balken_max_ = maximum;
}

void TestInteraktion::Balken_Text(const std::string& text) {
  protokoll_.push_back("Balken: " + text);
}

void TestInteraktion::Balken_Inc(long schritte) {
  balken_stand_ += schritte;
}

void TestInteraktion::Balken_Schliessen() {
  if (!balken_offen_) return;
  balken_offen_ = false;
  protokoll_.push_back("Balken geschlossen");
}

bool TestInteraktion::EscPressed() {
  ++esc_aufrufe_;
  return esc_ab_ > 0 && esc_aufrufe_ >= esc_ab_;
}

bool TestInteraktion::drucker_waehlen(Druckauftrag& auftrag) {
  if (drucker_ablehnen_) {
    drucker_ablehnen_ = false;
    protokoll_.push_back("Drucker abgelehnt: " + auftrag.name);
    return false;
  }
  auftrag.zeilen_pro_seite = zeilen_pro_seite_;
  auftrag.ziel = druckziel_;
  protokoll_.push_back("Drucker: " + auftrag.name);
  return true;
}

void TestInteraktion::drucken(const Druckauftrag& auftrag) {
  if (ansehen_)
    ansehen_(auftrag);
  else
    druckauftraege_.push_back(auftrag);
  protokoll_.push_back("Druck: " + auftrag.name);
}

bool TestInteraktion::formular(TEntryForm& form) {
  if (skripte_.empty()) throw UnerwarteteInteraktion("Unerwartetes Formular: " + form.titel());
  std::vector<Formularschritt> skript = std::move(skripte_.front());
  skripte_.pop_front();
  protokoll_.push_back("Formular: " + form.titel());

  for (const auto& s : skript) {
    Reaktion r = Reaktion::Weiter;
    switch (s.art) {
      case Formularschritt::Art::Eingabe: {
        const TEntryForm::Feld* f = finde_formularfeld(form, s.feld);
        if (!f)
          throw UnerwarteteInteraktion("Formular " + form.titel() + " hat kein Feld " + s.feld);
        int nr = f->nr;
        bool ok = form.eingabe(nr, s.wert) && form.verlassen(nr);
        if (ok != s.erwartet_ok)
          throw UnerwarteteInteraktion("Feld " + s.feld + " = \"" + s.wert + "\" wurde " +
                                       (ok ? "angenommen" : "abgelehnt"));
        break;
      }
      case Formularschritt::Art::Taste:
        r = form.taste(s.taste);
        break;
      case Formularschritt::Art::Befehl: {
        bool gefunden = false;
        for (std::size_t i = 0; i < form.befehle().size() && !gefunden; ++i) {
          if (gleiche_beschriftung(form.befehle()[i].beschriftung, s.feld)) {
            r = form.befehl(i);
            gefunden = true;
          }
        }
        if (!gefunden)
          throw UnerwarteteInteraktion("Formular " + form.titel() + " hat keinen Befehl " + s.feld);
        break;
      }
      case Formularschritt::Art::Schliessen:
        r = form.schliessen();
        break;
      case Formularschritt::Art::Zelle: {
        if (!form.tabelle())
          throw UnerwarteteInteraktion("Formular " + form.titel() + " hat keine Tabelle");
        bool ok = form.zelle_setzen(s.zeile, s.spalte, s.wert);
        if (ok != s.erwartet_ok)
          throw UnerwarteteInteraktion("Zelle " + std::to_string(s.zeile + 1) + "/" +
                                       std::to_string(s.spalte + 1) + " = \"" + s.wert + "\" wurde " +
                                       (ok ? "angenommen" : "abgelehnt"));
        break;
      }
    }
    if (r != Reaktion::Weiter) {
      protokoll_.push_back(std::string("Formular geschlossen: ") +
                           (r == Reaktion::Speichern ? "gespeichert" : "abgebrochen"));
      return r == Reaktion::Speichern;
    }
  }
  throw UnerwarteteInteraktion("Formular " + form.titel() + " blieb nach dem Skript offen");
}

std::optional<Browsereintrag> TestInteraktion::auswahl(Tmybrowser& liste) {
  if (wahlen_.empty()) throw UnerwarteteInteraktion("Unerwartete Auswahlliste: " + liste.titel());
  std::optional<std::string> wahl = std::move(wahlen_.front());
  wahlen_.pop_front();
  // Where the list opens: the first line at its start position.
  auto erste = liste.ab(liste.startschluessel(), 1);
  protokoll_.push_back("Auswahl: " + liste.titel() +
                       (erste.empty() ? "" : " ab " + erste.front().zeile));
  if (!wahl) return std::nullopt;
  std::string ab;
  for (;;) {
    auto seite = liste.ab(ab, 100);
    if (seite.empty()) break;
    for (const auto& e : seite)
      if (e.zeile.find(*wahl) != std::string::npos) return e;
    ab = seite.back().schluessel + '\0';
  }
  throw UnerwarteteInteraktion("Auswahlliste " + liste.titel() + " hat keine Zeile mit " + *wahl);
}

}  // namespace fibu
