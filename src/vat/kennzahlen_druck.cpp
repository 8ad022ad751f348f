// The advance return of the years after 2012 as a list of Kennzahlen.
#include <algorithm>
#include <array>
#include <optional>

#include "frame/mandant.h"
#include "suite/allgemei.h"
#include "suite/ausgabe3.h"
#include "vat/steueranmeldung.h"

namespace fibu {
namespace {

using B = BasisFelder;

constexpr int breite = 132;
constexpr std::array<const char*, 12> monate = {"Januar",    "Februar", "März",     "April",
                                                "Mai",       "Juni",    "Juli",     "August",
                                                "September", "Oktober", "November", "Dezember"};

std::string kz(int nummer) {
  return "Kz " + std::to_string(nummer);
}

// "Kz 81 Bemessungsgrundlage      10.000" | "Kz 36 Steuer      1.900,00" | text
std::string wertzeile(int kz_basis, std::optional<Betrag> basis, int kz_steuer,
                      std::optional<Betrag> steuer, const std::string& text) {
  std::string z;
  if (basis)
    z = kz(kz_basis) + " Bemessungsgrundlage " + format_maske(*basis / 100, 0, "###.###.###");
  z = padcut(z, 39);
  std::string s;
  if (steuer)
    s = (kz_steuer != 0 ? kz(kz_steuer) + " " : space(6)) + "Steuer " +
        format_maske(*steuer, 2, "###.###.###,##");
  return z + padcut(s, 30) + text;
}

std::string anmeldezeitraum(const Formularauftrag& a) {
  if (a.perioden == 4)
    return std::to_string((a.monat - 1) / 3 + 1) + ". Quartal " + std::to_string(a.jahr);
  return std::string(monate[static_cast<std::size_t>(std::clamp(a.monat, 1, 12) - 1)]) + " " +
         std::to_string(a.jahr);
}

}  // namespace

bool kennzahlen_drucken(Mandant& m, const Formularauftrag& a, Formularwerte& werte) {
  const Kennzahlenliste liste = kennzahlen_berechnen(werte, a.jahr, a.monat);
  for (int l : liste.ohne_kennzahl)
    m.ui().ShowMessageMain("Es gibt Sachkonten mit der UST-Zeile " + std::to_string(l) + " !\r" +
                           "In " + std::to_string(a.jahr) +
                           " gibt es dafür keine Kennzahl. Bitte in den Sachkonten korrigieren.");
  Ausgabe3 d(m.ui());
  Seitenkopf kopf = seitenkopf(m, "Umsatzsteuer-Voranmeldung " + std::to_string(a.jahr), breite);
  kopf.untertitel = "Voranmeldungszeitraum: " + anmeldezeitraum(a);
  if (!d.open_drucker("Umsatzsteuer-Voranmeldung")) return false;
  d.schmal();
  d.kopf_bei_umbruch([&kopf](Ausgabe3& x) { drucke_seitenkopf(x, kopf); });
  drucke_seitenkopf(d, kopf);
  const Satz& b = m.basis;
  d.druckeln("Finanzamt   : " + trim(b.get(B::Finanzamt)) + "  " + trim(b.get(B::FaNummer)));
  d.druckeln("Steuernummer: " + trim(b.get(B::Steuernummer)));
  if (a.belege) d.druckeln("Belege sind beigefügt.");
  d.druckeln();
  for (const Kennzahlwert& w : liste.werte) {
    if (w.basis == 0 && w.steuer == 0) continue;
    d.druckeln(
        wertzeile(w.kz_basis, w.kz_basis ? std::optional(w.basis) : std::nullopt, w.kz_steuer,
                  w.regel != Kzregel::Basis ? std::optional(w.steuer) : std::nullopt, w.text));
  }
  d.druckeln();
  Betrag rest = liste.summe;
  if (a.letzte_periode) {
    d.druckeln(wertzeile(0, {}, 39, a.sondervorauszahlung,
                         "Anrechnung der festgesetzten Sondervorauszahlung"));
    rest -= a.sondervorauszahlung;
  }
  d.druckeln(wertzeile(0, {}, 83, rest, "Verbleibende Umsatzsteuer-Vorauszahlung"));
  d.close_drucker();
  werte.summe = liste.summe;
  return true;
}

}  // namespace fibu
