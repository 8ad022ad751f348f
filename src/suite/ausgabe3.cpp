#include "suite/ausgabe3.h"

#include <algorithm>
#include <cstdio>

#include "suite/allgemei.h"

namespace fibu {

bool Ausgabe3::starten(const std::string& hinweis, const std::string& dokumentname) {
  if (offen_) close_drucker();
  auftrag_ = Druckauftrag{};
  auftrag_.name = dokumentname;
  auftrag_.hinweis = hinweis;
  if (!ui_.drucker_waehlen(auftrag_)) return false;
  if (auftrag_.zeilen_pro_seite < 1) auftrag_.zeilen_pro_seite = 1;
  auftrag_.seiten.assign(1, Druckseite{});
  offen_ = true;
  zeile_offen_ = false;
  schrift_ = Schrift::Normal;
  seitennummer_ = 1;
  return true;
}

bool Ausgabe3::open_drucker(const std::string& dokumentname) {
  return starten("", dokumentname);
}

bool Ausgabe3::open_drucker_hinweis(const std::string& hinweis, const std::string& dokumentname) {
  return starten(hinweis, dokumentname);
}

int Ausgabe3::zeilen_auf_seite() const {
  return offen_ ? static_cast<int>(auftrag_.seiten.back().zeilen.size()) : 0;
}

void Ausgabe3::drucke(std::string_view text) {
  if (!offen_) return;
  if (!zeile_offen_) {
    if (zeilen_auf_seite() >= auftrag_.zeilen_pro_seite) {
      neue_seite();
      if (kopf_ && !im_kopf_) {
        im_kopf_ = true;
        kopf_(*this);
        im_kopf_ = false;
      }
    }
    auftrag_.seiten.back().zeilen.push_back({"", schrift_});
    zeile_offen_ = true;
  }
  auftrag_.seiten.back().zeilen.back().text.append(text);
}

void Ausgabe3::druckeln(std::string_view text) {
  if (!offen_) return;
  drucke(text);
  zeile_offen_ = false;
}

bool Ausgabe3::check(int n) const {
  return auftrag_.zeilen_pro_seite - zeilen_auf_seite() < n;
}

void Ausgabe3::neue_seite() {
  if (!offen_ || (auftrag_.seiten.back().zeilen.empty() && auftrag_.seiten.back().texte.empty()))
    return;
  zeile_offen_ = false;
  auftrag_.seiten.emplace_back();
  ++seitennummer_;
}

void Ausgabe3::schmal(bool an) {
  schrift_ = an ? Schrift::Schmal : Schrift::Normal;
}

void Ausgabe3::drucke_an(double x_mm, double y_mm, std::string_view text) {
  if (!offen_) return;
  auftrag_.seiten.back().texte.push_back({x_mm, y_mm, std::string(text), schrift_});
}

void Ausgabe3::close_drucker() {
  if (!offen_) return;
  offen_ = false;
  zeile_offen_ = false;
  ui_.drucken(auftrag_);
}

std::string gesperrt(std::string_view titel) {
  std::string aus;
  for (std::size_t i = 0, n = zeichenzahl(titel); i < n; ++i) {
    if (i > 0) aus.push_back(' ');
    aus += kopy(titel, static_cast<std::ptrdiff_t>(i + 1), 1);
  }
  return aus;
}

namespace {

// links + mitte (centred in the width, kept clear of links and rechts by one
// blank) + rechts, exactly `breite` characters unless links and rechts alone
// are wider.
std::string dreiteilig(const std::string& links, const std::string& mitte,
                       const std::string& rechts, int breite) {
  int l = static_cast<int>(zeichenzahl(links));
  int r = static_cast<int>(zeichenzahl(rechts));
  int frei_von = links.empty() ? 0 : l + 1;
  int frei_bis = rechts.empty() ? breite : breite - r - 1;  // exclusive
  std::string text = mitte;
  int m = static_cast<int>(zeichenzahl(mitte));
  if (m > frei_bis - frei_von) {
    m = std::max(0, frei_bis - frei_von);
    text = padcut(mitte, m);
  }
  if (m == 0) {
    if (rechts.empty()) return trim_rechts(links);
    return links + space(std::max(1, breite - l - r)) + rechts;
  }
  int pos = std::clamp((breite - m) / 2, frei_von, frei_bis - m);
  std::string zeile = padcut(links, pos) + text;
  if (rechts.empty()) return trim_rechts(zeile);
  return zeile + space(breite - pos - m - r) + rechts;
}

}  // namespace

std::vector<std::string> seitenkopf_zeilen(const Seitenkopf& kopf, int seite) {
  const int w = kopf.breite;
  char nummer[16];
  std::snprintf(nummer, sizeof nummer, "%03d", kopf.mandant);
  std::string links = std::string("Mandant: ") + nummer;
  std::string rechts = "Datum: " + DateToDateString("dd.mm.yyyy", kopf.datum);

  int frei = w - static_cast<int>(zeichenzahl(links)) - static_cast<int>(zeichenzahl(rechts)) - 2;
  std::string titel = gesperrt(kopf.titel);
  if (static_cast<int>(zeichenzahl(titel)) > frei) titel = kopf.titel;

  std::vector<std::string> z;
  z.push_back(std::string(static_cast<size_t>(w), '-'));
  z.push_back(dreiteilig(links, titel, rechts, w));
  if (!kopf.untertitel.empty()) z.push_back(dreiteilig("", kopf.untertitel, "", w));
  z.push_back(dreiteilig(kopf.mandant_name, "", "Blatt:       " + std::to_string(seite), w));
  z.push_back(kopf.euro ? "Währung: Euro" : "Währung: Deutsche Mark");
  z.push_back(std::string(static_cast<size_t>(w), '-'));
  z.push_back("");
  return z;
}

void drucke_seitenkopf(Ausgabe3& drucker, const Seitenkopf& kopf) {
  if (drucker.auftrag().breite == 0) drucker.setze_breite(kopf.breite);
  for (const auto& zeile : seitenkopf_zeilen(kopf, drucker.seite())) drucker.druckeln(zeile);
}

}  // namespace fibu
