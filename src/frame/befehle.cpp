#include "frame/befehle.h"

#include <cctype>
#include <functional>

#include "suite/allgemei.h"

namespace fibu {
namespace {

using S = Sichtbarkeit;
using W = Waechter;

Menueeintrag e(int nr, std::string text, Taste t = Taste::Keine, W w = W::Keiner,
               S s = S::Immer) {
  Menueeintrag m;
  m.nummer = nr;
  m.beschriftung = std::move(text);
  m.taste = t;
  m.waechter = w;
  m.sichtbarkeit = s;
  return m;
}
Menueeintrag nichts(int nr, std::string text, S s = S::Immer) {
  Menueeintrag m = e(nr, std::move(text), Taste::Keine, W::Keiner, s);
  m.nur_titel = true;
  return m;
}
Menueeintrag menue(int nr, std::string text, std::vector<Menueeintrag> unter, S s = S::Immer) {
  Menueeintrag m = e(nr, std::move(text), Taste::Keine, W::Keiner, s);
  m.unter = std::move(unter);
  return m;
}
Menueeintrag pflege_liste(int nr, std::string text, bool uebernahme) {
  std::vector<Menueeintrag> u{e(nr * 10 + 1, "&Pflegen"), e(nr * 10 + 2, "&Liste")};
  if (uebernahme) u.push_back(e(nr * 10 + 3, "&Übernahme MSD", Taste::Keine, W::Keiner, S::Uebernahme));
  return menue(nr, std::move(text), std::move(u));
}

std::vector<Menueeintrag> baue_menue() {
  const W K = W::Konsistenz, P = W::Periode;
  std::vector<Menueeintrag> m;
  m.push_back(menue(
      1, "&Stammdaten",
      {e(11, "&Mandantenwechsel", Taste::Keine, W::Keiner, S::OhneDirektwahl),
       menue(12, "&Sachkonten",
             {e(121, "&Pflegen", Taste::F2), e(122, "&Kontenplan"), e(123, "&Löschen"),
              e(124, "Übernahme &MSD", Taste::Keine, W::Keiner, S::Uebernahme),
              e(125, "Übernahme &GDI", Taste::Keine, W::Keiner, S::Uebernahme)}),
       menue(13, "&Personenkonten",
             {e(131, "&Pflegen", Taste::F3), e(132, "&Kontenplan"), e(133, "&Löschen"),
              e(134, "Übernahme &MSD", Taste::Keine, W::Keiner, S::Uebernahme),
              e(135, "Übernahme &GDI", Taste::Keine, W::Keiner, S::Uebernahme)}),
       menue(14, "&Basisdaten",
             {e(141, "&Firmenstamm", Taste::F4),
              menue(142, "&Mahndaten",
                    {e(1421, "Mahn&kennziffern"), e(1422, "&Liste Mahnkennziffern"),
                     e(1423, "Mahn&texte"), nichts(1424, "Mahntexte &RTF-Format", S::Versteckt)}),
              menue(143, "M&andanten",
                    {e(1431, "&Neuen Mandant anlegen"), e(1432, "Aktuellen Mandant &kopieren"),
                     e(1433, "Aktuellen Mandant &löschen")}),
              e(144, "F&ilterkennzeichen"), e(145, "&Passwort ändern"), e(148, "&Drucken")}),
       menue(15, "&Kostenrechnung",
             {e(151, "&Basis Kostenrechnung"), pflege_liste(152, "&Leitkostenstellen", false),
              pflege_liste(153, "&Kostenstellen", true),
              pflege_liste(154, "&Verteilungsschlüssel", true),
              pflege_liste(155, "Kosten&arten", true)}),
       menue(16, "B&WA",
             {e(161, "&Pflege Kontengruppen"), e(162, "&Liste Kontengruppen"),
              e(163, "Pflege &BWA-Bezeichnungen"),
              e(164, "&Übernahme BWA-Kontengruppen", Taste::Keine, W::Keiner, S::Uebernahme)})}));
  m.push_back(menue(
      2, "&Buchen",
      {e(21, "&Buchen", Taste::F5, K), e(22, "Bank&auszug", Taste::F6, K),
       e(23, "&Prüfen Buchungen", Taste::Keine, P), e(24, "Übernahme &RA-Buch", Taste::Keine, K),
       menue(25, "&Zahlungsverkehr",
             {e(251, "Übernahme &Rechnung", Taste::Keine, K),
              e(252, "Übernahme &Zahlungen", Taste::Keine, K),
              e(253, "Übernahme Zahlung &direkt", Taste::Keine, K),
              e(254, "&Erzeuge Lastschriftdiskette")}),
       e(26, "Übernahme &MSD", Taste::Keine, K, S::Uebernahme),
       e(27, "Übernahme &Fremddaten", Taste::Keine, K),
       e(28, "Übernahme &GDI", Taste::Keine, K, S::Uebernahme),
       menue(29, "Übernahme &Datev", {nichts(291, "Übernahme &Datev")}, S::Versteckt)}));
  m.push_back(menue(
      3, "&Auswertungen",
      {menue(31, "&Allgemein",
             {e(311, "&Steuervoranmeldung"),
              menue(312, "&Buchungsjournal",
                    {e(3121, "&Prüfjournal", Taste::Keine, P), e(3122, "&Journal", Taste::Keine, P)}),
              menue(313, "S&aldenlisten",
                    {e(3131, "&Sachkonten", Taste::F7), e(3132, "&Debitoren"),
                     e(3133, "&Kreditoren")}),
              menue(314, "&Kontoauszüge",
                    {e(3141, "&Zu Prüfzwecken", Taste::Keine, P), e(3142, "&Nach Abschluß"),
                     e(3143, "&Einzelkonten", Taste::F8)}),
              e(315, "&Rechnungsjournal"), e(316, "&Monatsabschluß", Taste::Keine, P),
              menue(317, "&Jahresabschluß",
                    {e(3171, "&Übertrag neues Jahr"), e(3172, "Abstimmung &Eröffnungssalden"),
                     e(3173, "Abstimmung Eröffnungs&buchungen")}),
              e(318, "Monatsabschluß &12x", Taste::Keine, W::Keiner, S::Zevo),
              e(319, "E&LSTER-Steueranmeldung")}),
       menue(32, "&BW-Auswertungen", {e(321, "&Erzeugen"), e(322, "&Kontennachweis")}),
       menue(33, "&Kostenrechnung",
             {e(331, "&Kostenstellenliste"), e(332, "&Leitkostenstellenliste"),
              e(333, "Kosten&artenliste"), e(334, "Leitkostena&rtenliste"),
              nichts(335, "Kostenstellen&journal", S::Versteckt), e(336, "&BAB-Druck"),
              nichts(337, "&Wertübernahme altes GJ", S::Versteckt),
              nichts(338, "Konten&werte erfassen", S::Versteckt)}),
       menue(34, "&OP-/Mahnwesen",
             {menue(341, "OP-&Pflege",
                    {e(3411, "&Debitoren", Taste::F9), e(3412, "&Kreditoren")}),
              e(342, "OP-Liste &Debitoren", Taste::F10), e(343, "OP-Liste &Kreditoren", Taste::F11),
              e(344, "&Mahnungen drucken", Taste::F12), e(345, "&Finanzdisposition"),
              menue(346, "&Automatisch Ausbuchung", {e(3461, "&Erzeugen"), e(3462, "&Liste")}),
              e(347, "&Zahlungsmoral")}),
       menue(35, "&Euro-Auswertungen",
             {e(351, "&Zusammenfassende Meldung"),
              nichts(352, "&Pflege Warenbewegungen", S::Versteckt), e(353, "&EG-Journale"),
              nichts(354, "Euro-&Kennzeichen löschen", S::Versteckt)}),
       menue(36, "&Datev-Übergabe",
             {e(361, "Sachkonten-&Salden"), e(362, "Sachkonten-&Namen"), e(363, "&Debitoren"),
              e(364, "&Kreditoren"), e(365, "&Alle Buchungen"),
              nichts(366, "S&tammdaten Personenkonten"),
              e(367, "&Buchungsstapel (EXTF)"), e(368, "Debitoren/Kreditoren (E&XTF)")}),
       nichts(37, "Be&treuer", S::Versteckt), nichts(38, "&Händler", S::Versteckt)}));
  Menueeintrag nutzer = nichts(47, "&Nutzer im Mandant", S::Versteckt);
  nutzer.trenner_davor = true;
  m.push_back(menue(
      4, "&Diverse",
      {e(41, "&Konsistenzprüfung"), e(42, "&Reorganisation"), e(43, "Datensicherung &Mandant"),
       e(44, "Datenrücksicherung M&andant"),
       e(45, "Monatsabschlüsse &rückgängig machen", Taste::Keine, W::Keiner, S::Zurueck),
       e(46, "Daten auf &Diskette packen"), nutzer}));
  m.push_back(e(9, "&Hilfe"));
  m.push_back(e(10, "&Ende"));
  return m;
}

const Menueeintrag* suche(const std::vector<Menueeintrag>& liste, int nummer) {
  for (const auto& m : liste) {
    if (m.nummer == nummer) return &m;
    if (const Menueeintrag* t = suche(m.unter, nummer)) return t;
  }
  return nullptr;
}

bool pfad_zu(const std::vector<Menueeintrag>& liste, int nummer, std::vector<std::string>& pfad) {
  for (const auto& m : liste) {
    pfad.push_back(m.beschriftung);
    if (m.nummer == nummer || pfad_zu(m.unter, nummer, pfad)) return true;
    pfad.pop_back();
  }
  return false;
}

}  // namespace

Kommandozeile kommandozeile_auswerten(const std::vector<std::string>& argumente) {
  Kommandozeile k;
  for (const std::string& roh : argumente) {
    std::string a = gross(trim(roh));
    if (a == "/U") {
      k.uebernahmen = true;
    } else if (a == "/M") {
      k.letzter_mandant = true;
    } else if (a.rfind("/W=", 0) == 0) {
      std::string rest = a.substr(3);
      bool ziffern = !rest.empty();
      for (char c : rest) ziffern = ziffern && std::isdigit(static_cast<unsigned char>(c));
      if (rest.size() == 7 && ziffern) {
        k.mandant = std::stoi(rest.substr(0, 3));
        k.jahr = std::stoi(rest.substr(3));
        k.letzter_mandant = false;
      } else {
        k.w_ungueltig = true;
      }
    } else if (a == "/A") {
      k.monatsabschluss_zurueck = true;
    } else if (a == "/ZEVO") {
      k.monatsabschluss_12x = true;
    } else if (a == "RAB-RECHTS") {
      k.rab_rechts = true;
    } else if (a == "RAB-KOST") {
      k.rab_kost = true;
    } else if (a == "/PLD") {
      k.pld = true;
    } else if (a == "/SB") {
      k.sb = true;
    } else if (a == "/BL12") {
      k.bl12 = true;
    } else {
      k.unbekannt.push_back(roh);
    }
  }
  // "/W=" wins over "/M" whichever came first.
  if (k.mandant) k.letzter_mandant = false;
  return k;
}

const std::vector<Menueeintrag>& hauptmenue() {
  static const std::vector<Menueeintrag> m = baue_menue();
  return m;
}

const Menueeintrag* menueeintrag(int nummer) { return suche(hauptmenue(), nummer); }

std::vector<int> alle_befehle() {
  std::vector<int> aus;
  std::function<void(const std::vector<Menueeintrag>&)> sammle =
      [&](const std::vector<Menueeintrag>& liste) {
        for (const auto& m : liste) {
          if (m.unter.empty())
            aus.push_back(m.nummer);
          else
            sammle(m.unter);
        }
      };
  sammle(hauptmenue());
  return aus;
}

std::vector<std::string> menuepfad(int nummer) {
  std::vector<std::string> pfad;
  if (!pfad_zu(hauptmenue(), nummer, pfad)) pfad.clear();
  return pfad;
}

bool sichtbar(const Menueeintrag& e, const Kommandozeile& k) {
  switch (e.sichtbarkeit) {
    case S::Immer:
      return true;
    case S::Uebernahme:
      return k.uebernahmen;
    case S::Zurueck:
      return k.monatsabschluss_zurueck;
    case S::Zevo:
      return k.monatsabschluss_12x;
    case S::OhneDirektwahl:
      return !k.mandant.has_value();
    case S::Versteckt:
      return false;
  }
  return true;
}

std::vector<Menuetaste> menue_tastenfolge(int nummer) {
  std::vector<Menuetaste> folge;
  if (nummer <= 0) return folge;
  std::string ziffern = std::to_string(nummer);
  folge.push_back(Menuetaste::Aktivieren);
  for (int i = 0; i < ziffern[0] - '1'; ++i) folge.push_back(Menuetaste::Rechts);
  for (std::size_t p = 1; p < ziffern.size(); ++p) {
    folge.push_back(Menuetaste::Enter);
    for (int i = 0; i < ziffern[p] - '1'; ++i) folge.push_back(Menuetaste::Runter);
  }
  return folge;
}

}  // namespace fibu
