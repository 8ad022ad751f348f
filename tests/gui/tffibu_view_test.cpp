#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>
#include <future>
#include <sstream>

#include "app/batch.h"
#include "app/befehle.h"

#include "../suite/testverzeichnis.h"
#include "frame/anfrage.h"
#include "frame/mandantenverwaltung.h"
#include "frame/tffibu.h"
#include "gui/druckdialog.h"
#include "gui/formulardialog.h"
#include "gui/qt_interaktion.h"
#include "gui/tffibu_view.h"
#include "demo_mandant.h"
#include "gui_hilfen.h"

using fibu::test::beim_naechsten_dialog;

namespace {

// FIBU_BILDSCHIRMFOTO=<dir> keeps pictures of the windows for a look by eye.
void foto(QWidget* w, const QString& name) {
  const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
  if (!ordner.isEmpty()) w->grab().save(ordner + '/' + name + QStringLiteral(".png"));
}

// A client 005/2024 with new base data, opened as "/W=0052024" (and more
// flags) would open it.
struct Hauptfenster {
  fibu::Testverzeichnis tmp;
  std::unique_ptr<fibu::Dateisystem> fs = fibu::echtes_dateisystem();
  fibu::QtInteraktion ui{*fs};
  fibu::Tagesdatum heute;
  fibu::Netzwerk netz{*fs, tmp.pfad()};
  fibu::Mandant m{*fs, ui, heute, tmp.pfad() + "/FIBU/", netz};
  fibu::Suitekonfiguration suite;
  std::unique_ptr<fibu::TFFibu> fibu;

  explicit Hauptfenster(std::vector<std::string> argumente = {}) {
    QVERIFY(fs->verzeichnis_anlegen(m.daten_verzeichnis(5, 2024)).ok());
    fibu::Satz mandant(fibu::MandantFelder::groesse);
    mandant.set(fibu::MandantFelder::Mandantnummer, std::uint16_t{5});
    QVERIFY(m.schreibe_mandant_satz(mandant));
    argumente.push_back("/W=0052024");
    fibu = std::make_unique<fibu::TFFibu>(m, suite, fibu::kommandozeile_auswerten(argumente));
    fibu->setup(nullptr);
    m.basis.set(fibu::BasisFelder::Name, "Schreinerei Holz");
  }
};

// The captions of a menu's entries, separators left out.
QStringList beschriftungen(const QList<QAction*>& aktionen) {
  QStringList aus;
  for (QAction* a : aktionen)
    if (!a->isSeparator()) aus << a->text();
  return aus;
}

// Compares a menu level with the table: the visible entries in order, each
// with its caption, hidden ones absent, unavailable ones disabled.
void vergleiche(const fibu::TFFibuView& fenster, const fibu::TFFibu& fibu,
                const std::vector<fibu::Menueeintrag>& tabelle, const QList<QAction*>& aktionen,
                int& geprueft) {
  QStringList erwartet;
  for (const auto& e : tabelle) {
    QAction* a = fenster.aktion(e.nummer);
    if (!fibu::sichtbar(e, fibu.kommandozeile())) {
      QVERIFY2(a == nullptr, qPrintable(QString::number(e.nummer)));
      continue;
    }
    erwartet << QString::fromStdString(e.beschriftung);
    QVERIFY2(a, qPrintable(QString::number(e.nummer)));
    if (e.unter.empty()) {
      QCOMPARE(a->isEnabled(), e.nummer == 10 || fibu.verfuegbar(e.nummer));
      ++geprueft;
    } else {
      vergleiche(fenster, fibu, e.unter, a->menu()->actions(), geprueft);
    }
  }
  QCOMPARE(beschriftungen(aktionen).mid(0, erwartet.size()), erwartet);
}

}  // namespace

class TFFibuViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void zeigtDenProgrammtitelOhneMandant() {
    fibu::TFFibuView fenster;
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    QCOMPARE(fenster.windowTitle(), QStringLiteral("Finanzbuchhaltung"));
  }

  // The status bar names the client, the year and the current period, and
  // follows a command that changes them; a list's selection dialog says
  // that Esc prints.
  void statusleisteUndAuswahldialog() {
    fibu::test::Demo demo;
    fibu::befehle_registrieren(*demo.fibu);
    fibu::TFFibuView fenster(demo.fibu.get());
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    auto stand = [&] {
      for (auto* l : fenster.statusBar()->findChildren<QLabel*>())
        if (l->text().startsWith(QStringLiteral("Mandant "))) return l->text();
      return QString();
    };
    QCOMPARE(stand(), QStringLiteral("Mandant 999  Demo Handwerk GmbH  ·  Jahr 2007  ·  "
                                     "Periode 1: Aktiv"));
    fibu::test::foto(&fenster, QStringLiteral("hauptfenster"));
    QString knopf;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
      QVERIFY(d);
      for (auto* k : d->findChildren<QPushButton*>())
        if (k->text().endsWith(QStringLiteral("[Esc]"))) knopf = k->text();
      fibu::test::foto(d, QStringLiteral("selektion_saldenliste"));
      d->reject();
    });
    QVERIFY(!demo.fibu->ausfuehren(3131));  // closed without printing
    QCOMPARE(knopf, QStringLiteral("&Drucken  [Esc]"));
    // A period that changes shows at once after the command.
    demo.m->basis.set(fibu::BasisFelder::AktuellePeriode, std::uint8_t{2});
    QVERIFY(demo.fibu->ausfuehren(47));
    QCOMPARE(stand(), QStringLiteral("Mandant 999  Demo Handwerk GmbH  ·  Jahr 2007  ·  "
                                     "Periode 2: Aktiv"));
  }

  void dieMenueleisteIstDieBefehlstabelle_data() {
    QTest::addColumn<QStringList>("schalter");
    QTest::newRow("direktwahl") << QStringList();
    QTest::newRow("uebernahmen und abschluesse") << QStringList({"/U", "/A", "/ZEVO"});
  }

  void dieMenueleisteIstDieBefehlstabelle() {
    QFETCH(QStringList, schalter);
    std::vector<std::string> argumente;
    for (const auto& s : schalter) argumente.push_back(s.toStdString());
    Hauptfenster h(argumente);
    fibu::TFFibuView fenster(h.fibu.get());
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    QVERIFY(h.fibu->ausfuehren(47));
    QCOMPARE(fenster.windowTitle(),
             QStringLiteral("Finanzbuchhaltung  -  Mandant: 005 - 2024 - Schreinerei Holz  (DM)"));
    int geprueft = 0;
    const auto leiste = fenster.menuBar()->actions();
    vergleiche(fenster, *h.fibu, fibu::hauptmenue(), leiste, geprueft);
    // The system entries follow the table's menus.
    QCOMPARE(leiste.size(), static_cast<int>(fibu::hauptmenue().size()) + 1);
    QCOMPARE(leiste.last()->text(), QStringLiteral("S&ystem"));
    QVERIFY(geprueft > 80);
    QCOMPARE(fenster.aktion(141)->shortcut(), QKeySequence(Qt::Key_F4));
    QCOMPARE(fenster.aktion(21)->shortcut(), QKeySequence(Qt::Key_F5));
    QVERIFY(fenster.aktion(141)->isEnabled());
    QVERIFY(!fenster.aktion(121)->isEnabled());  // no function yet
    QCOMPARE(fenster.aktion(11) == nullptr, true);  // hidden with /W=
    QCOMPARE(fenster.aktion(124) != nullptr, schalter.contains("/U"));
    QCOMPARE(fenster.aktion(45) != nullptr, schalter.contains("/A"));
    QVERIFY(fenster.aktion(47) == nullptr);  // hidden by the program
  }

  void enterOeffnetDasMenueBeimLetztenBefehl() {
    Hauptfenster h;
    int gelaufen = 0;
    h.fibu->registriere(3141, [&] { ++gelaufen; });
    fibu::TFFibuView fenster(h.fibu.get());
    fenster.show();
    QVERIFY(QTest::qWaitForWindowActive(&fenster));
    QTest::keyClick(&fenster, Qt::Key_Return);  // nothing ran yet: no menu
    QVERIFY(QApplication::activePopupWidget() == nullptr);
    fenster.aktion(3141)->trigger();
    QCOMPARE(gelaufen, 1);
    QTest::keyClick(&fenster, Qt::Key_Return);
    QCOMPARE(fenster.menuBar()->activeAction()->text(), QStringLiteral("&Auswertungen"));
    auto* offen = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(offen);
    QCOMPARE(offen->title(), QStringLiteral("&Kontoauszüge"));
    QCOMPARE(offen->activeAction()->text(), QStringLiteral("&Zu Prüfzwecken"));
    QTest::keyClick(offen, Qt::Key_Return);  // Enter again runs the command
    QTRY_COMPARE(gelaufen, 2);
  }

  void fensterpositionWirdGespeichertUndGeloescht() {
    Hauptfenster h;
    fibu::Fensterposition position(*h.fs, h.tmp.pfad(), "fibu");
    {
      fibu::TFFibuView fenster(h.fibu.get(), &position);
      fenster.show();
      QVERIFY(QTest::qWaitForWindowExposed(&fenster));
      QAction* a = fenster.fensterposition_aktion();
      QVERIFY(a && a->isCheckable() && !a->isChecked());
      QCOMPARE(a->text(), QStringLiteral("&Fensterposition speichern"));
      fenster.move(120, 45);
      a->trigger();
      QVERIFY(a->isChecked());
      QVERIFY(position.gespeichert());
      QCOMPARE(position.lesen()->first, fenster.x());
    }
    fibu::TFFibuView wieder(h.fibu.get(), &position);
    QVERIFY(wieder.fensterposition_aktion()->isChecked());
    wieder.fensterposition_aktion()->trigger();
    QVERIFY(!wieder.fensterposition_aktion()->isChecked());
    QVERIFY(!position.gespeichert());
  }

  void beantwortetAnfragenAufDemSocket() {
    // The demo client: customer 10001 is over its limit with its due items,
    // 10003 within it.
    fibu::test::Demo demo;
    fibu::TFFibu& fibu = *demo.fibu;
    fibu::TFFibuView fenster(&fibu);
    const std::string pfad = demo.tmp.pfad() + "/sock/anfrage";
    QVERIFY(fenster.anfragen_bedienen(pfad).ok());
    // A second program on the same name is refused, the first keeps it.
    fibu::TFFibuView zweites(&fibu);
    fibu::Ergebnis doppelt = zweites.anfragen_bedienen(pfad);
    QVERIFY(!doppelt.ok());
    QCOMPARE(doppelt.code(), fibu::Ergebnis::Code::Existiert);
    auto frage = [&](std::string item, std::string text) {
      auto antwort = std::async(std::launch::async, [&] {
        std::string a;
        fibu::Ergebnis e = fibu::anfrage_senden(pfad, item, text, a);
        return e.ok() ? a : "(" + e.text() + ")";
      });
      // The view answers from the event loop; a generous limit, no fixed wait.
      QDeadlineTimer frist(30000);
      while (antwort.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready &&
             !frist.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
      if (antwort.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        return QStringLiteral("(keine Antwort)");
      return QString::fromStdString(antwort.get());
    };
    QCOMPARE(frage("KREDITLIMIT", "10001 FAELLIG"), QStringLiteral("KO"));
    QCOMPARE(frage("KREDITLIMIT", "10003 SALDO"), QStringLiteral("OK"));
    QCOMPARE(frage("KREDITLIMIT", "19999 FAELLIG"), QStringLiteral("FEHLER"));
    QCOMPARE(frage("UNBEKANNT", "x"), QStringLiteral("FEHLER"));
    // A line longer than a request may be gets no answer, and the service
    // goes on.
    QCOMPARE(frage("KREDITLIMIT", std::string(5000, '1')), QStringLiteral("(Keine Antwort von FIBU)"));
    QCOMPARE(frage("KREDITLIMIT", "10003"), QStringLiteral("OK"));

    // OPLISTE brings the minimized window back to the front and prints the
    // customer's items (here into a text file instead of the preview).
    fibu::befehle_registrieren(fibu);
    fenster.show();
    fenster.showMinimized();
    QTRY_VERIFY(fenster.isMinimized());
    const std::string datei = demo.tmp.pfad() + "/opliste.txt";
    fibu::Druckwahl wahl;
    wahl.ziel = fibu::Druckziel::Textdatei;
    wahl.datei = datei;
    demo.ui.druckziel_vorgeben(wahl);
    QCOMPARE(frage("OPLISTE", "10001"), QStringLiteral("OK"));
    QVERIFY(!fenster.isMinimized());
    QVERIFY(fenster.isVisible());
    std::string text;
    QVERIFY(demo.fs->lies_datei(datei, text).ok());
    QVERIFY(text.find("O P - L i s t e   D e b i t o r e n") != std::string::npos);
    QVERIFY(text.find("Konto 10001") != std::string::npos);
    QVERIFY(text.find("Forderungen               :") != std::string::npos);
    // Not a customer: nothing is printed.
    QCOMPARE(frage("OPLISTE", "70001"), QStringLiteral("FEHLER"));
  }

  void schliessenZeigtDenEndedialog() {
    Hauptfenster h;
    fibu::TFFibuView fenster(h.fibu.get());
    h.ui.setze_hauptfenster(&fenster);
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    QString titel;
    QStringList zeilen;
    auto gelaufen = beim_naechsten_dialog([&](QWidget* w) {
      titel = w->windowTitle();
      foto(w, QStringLiteral("ende"));
      for (auto* l : w->findChildren<QLabel*>()) zeilen << l->text();
      QVERIFY(fibu::test::knopf_druecken(w, QStringLiteral("OK")));
    });
    fenster.aktion(10)->trigger();
    QVERIFY(*gelaufen);
    QCOMPARE(titel, QStringLiteral("Information"));
    QVERIFY(zeilen.contains(QStringLiteral("Bitte denken Sie an Ihre Datensicherung !")));
    QVERIFY(zeilen.contains(QStringLiteral("Sichern:  005 - 2024")));
    QVERIFY(h.fibu->beendet());
    QVERIFY(!fenster.isVisible());
  }

  void mandantenauswahlBeimStart() {
    fibu::Testverzeichnis tmp;
    auto fs = fibu::echtes_dateisystem();
    fibu::QtInteraktion ui(*fs);
    fibu::Tagesdatum heute;
    fibu::Netzwerk netz(*fs, tmp.pfad());
    fibu::Mandant m(*fs, ui, heute, tmp.pfad() + "/FIBU/", netz);
    QVERIFY(fs->verzeichnis_anlegen(m.daten_verzeichnis(5, 2024)).ok());
    fibu::Satz satz(fibu::MandantFelder::groesse);
    satz.set(fibu::MandantFelder::Mandantnummer, std::uint16_t{5});
    satz.set(fibu::MandantFelder::Mandantname, "Schreinerei Holz");
    QVERIFY(m.schreibe_mandant_satz(satz));
    fibu::Suitekonfiguration suite;
    fibu::TFFibu fibu(m, suite, fibu::kommandozeile_auswerten({}));
    QStringList hinweis;
    bool passwort_gesperrt = false;
    QString name;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
      QVERIFY(d);
      QCOMPARE(d->windowTitle(), QStringLiteral("Mandant auswählen"));
      auto* nummer = qobject_cast<QLineEdit*>(d->editor(1));
      QVERIFY(fibu::test::aktiv_machen(d));
      nummer->setFocus();
      nummer->selectAll();
      QTest::keyClicks(nummer, "999");
      fibu::test::meldung_beantworten(hinweis, d);
      QTest::keyClick(nummer, Qt::Key_Escape);
      QVERIFY(fibu::test::aktiv_machen(d));
      nummer->setFocus();
      nummer->selectAll();
      QTest::keyClicks(nummer, "5");
      QTest::keyClick(nummer, Qt::Key_Tab);
      name = qobject_cast<QLineEdit*>(d->editor(2))->text();
      foto(d, QStringLiteral("auswahl"));
      passwort_gesperrt = d->editor(3)->focusPolicy() == Qt::NoFocus;
      auto* jahr = qobject_cast<QLineEdit*>(d->editor(4));
      jahr->setFocus();
      jahr->selectAll();
      QTest::keyClicks(jahr, "2024");
      QTest::keyClick(jahr, Qt::Key_Escape);
    });
    const int jahr = 2024;
    QVERIFY(fibu.setup([&] { return fibu::TFMandantenAuswahl(m, jahr).ausfuehren(); }));
    QCOMPARE(hinweis,
             QStringList({QStringLiteral("Mandant noch nicht angelegt!\nHINWEIS: Demomandant=999, Jahr=2007")}));
    QCOMPARE(name, QStringLiteral("Schreinerei Holz"));
    QVERIFY(passwort_gesperrt);
    QCOMPARE(m.nummer(), 5);
    QCOMPARE(m.jahr(), 2024);
  }

  void neuerMandantUeberDieDialoge() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    fibu::TFFibu& fibu = *demo.fibu;
    fibu::QtInteraktion& ui = demo.ui;
    fibu::TFFibuView fenster(&fibu);
    ui.setze_hauptfenster(&fenster);
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    QStringList hinweis;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
      QVERIFY(d);
      QCOMPARE(d->windowTitle(), QStringLiteral("Neuen Mandant anlegen"));
      QVERIFY(fibu::test::aktiv_machen(d));
      auto tippe = [&](int nr, const QString& text) {
        auto* e = qobject_cast<QLineEdit*>(d->editor(nr));
        e->setFocus();
        e->selectAll();
        e->insert(text);
      };
      tippe(1, QStringLiteral("7"));
      tippe(2, QStringLiteral("Tischlerei Groß"));
      QCOMPARE(qobject_cast<QComboBox*>(d->editor(6))->currentText(), QStringLiteral("SKR-03"));
      qobject_cast<QComboBox*>(d->editor(6))->setCurrentIndex(2);  // SKR-04
      QCOMPARE(qobject_cast<QComboBox*>(d->editor(7))->currentText(), QStringLiteral("EURO"));
      foto(d, QStringLiteral("neuer-mandant"));
      fibu::test::meldung_beantworten(hinweis, d);
      QTest::keyClick(d->editor(2), Qt::Key_Escape);
    });
    fenster.aktion(1431)->trigger();
    QCOMPARE(hinweis.size(), 1);
    QVERIFY(hinweis[0].startsWith(QStringLiteral("HINWEIS: Dieser Kontorahmen stellt nur ein Muster dar")));
    QCOMPARE(m.nummer(), 7);
    QCOMPARE(m.jahr(), 2026);
    QVERIFY(fenster.windowTitle().startsWith(
        QStringLiteral("Finanzbuchhaltung  -  Mandant: 007 - 2026 - ")));
    QVERIFY(fenster.windowTitle().endsWith(QStringLiteral("(EURO)")));
    // The SKR 04 accounts were copied: the GL file of the new year exists.
    QVERIFY(demo.fs->existiert(m.daten_verzeichnis(7, 2026) + "SACH.EAT"));
  }

  void basisdatenDialogMitSeinenAchtSeiten() {
    Hauptfenster h;
    fibu::TFFibuView fenster(h.fibu.get());
    h.ui.setze_hauptfenster(&fenster);
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
    QStringList seiten;
    QString titel;
    beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
      QVERIFY(d && d->seiten());
      titel = d->windowTitle();
      for (int i = 0; i < d->seiten()->count(); ++i) seiten << d->seiten()->tabText(i);
      // FIBU_BILDSCHIRMFOTO=<dir> keeps pictures for a look by eye.
      if (!ordner.isEmpty()) {
        QVERIFY(fenster.grab().save(ordner + QStringLiteral("/hauptfenster.png")));
        for (int i = 0; i < d->seiten()->count(); ++i) {
          d->seiten()->setCurrentIndex(i);
          QVERIFY(d->grab().save(ordner + QStringLiteral("/basisdaten-%1.png").arg(i + 1)));
        }
      }
      d->done(QDialog::Rejected);
    });
    fenster.aktion(141)->trigger();
    QCOMPARE(titel, QStringLiteral("Mandantendaten pflegen"));
    QCOMPARE(seiten, QStringList({"Mandant", "Perioden", "Forderungs-/Verbindl.-Konten",
                                  "Steuerkonten", "Floskeln", "Belegnr", "Saldenvorträge",
                                  "Buchungsprüfung"}));
  }
};

QTEST_MAIN(TFFibuViewTest)
#include "tffibu_view_test.moc"
