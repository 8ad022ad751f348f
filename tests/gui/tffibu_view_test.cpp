#include <QMenuBar>
#include <QtTest>

#include "../suite/testverzeichnis.h"
#include "frame/tffibu.h"
#include "gui/tffibu_view.h"
#include "suite/test_interaktion.h"

class TFFibuViewTest : public QObject {
  Q_OBJECT

 private slots:
  void zeigtDenProgrammtitelOhneMandant() {
    fibu::TFFibuView fenster;
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    QCOMPARE(fenster.windowTitle(), QStringLiteral("Finanzbuchhaltung"));
  }

  void zeigtMandantImTitelUndDasMenueDerBefehlstabelle() {
    fibu::Testverzeichnis tmp;
    auto fs = fibu::echtes_dateisystem();
    fibu::TestInteraktion ui;
    fibu::Tagesdatum heute;
    fibu::Netzwerk netz(*fs, tmp.pfad());
    fibu::Mandant m(*fs, ui, heute, tmp.pfad() + "/FIBU/", netz);
    fs->verzeichnis_anlegen(m.daten_verzeichnis(5, 2024));
    fibu::Satz mandant(fibu::MandantFelder::groesse);
    mandant.set(fibu::MandantFelder::Mandantnummer, std::uint16_t{5});
    m.schreibe_mandant_satz(mandant);
    fibu::Suitekonfiguration suite;
    fibu::TFFibu fibu(m, suite, fibu::kommandozeile_auswerten({"/W=0052024"}));
    QVERIFY(fibu.setup(nullptr));
    m.basis.set(fibu::BasisFelder::Name, "Schreinerei Holz");
    fibu::TFFibuView fenster(&fibu);
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    QVERIFY(fibu.ausfuehren(47));
    QCOMPARE(fenster.windowTitle(),
             QStringLiteral("Finanzbuchhaltung  -  Mandant: 005 - 2024 - Schreinerei Holz  (DM)"));
    QCOMPARE(fenster.menuBar()->actions().size(), 6);
    QCOMPARE(fenster.menuBar()->actions().first()->text(), QStringLiteral("&Stammdaten"));
    QVERIFY(fenster.aktion(141) && !fenster.aktion(141)->isEnabled());
    QCOMPARE(fenster.aktion(141)->shortcut(), QKeySequence(Qt::Key_F4));
    QVERIFY(fenster.aktion(11) == nullptr);   // hidden with /W=
    QVERIFY(fenster.aktion(47) == nullptr);   // hidden by the program
    QVERIFY(fenster.aktion(10)->isEnabled());
    // FIBU_BILDSCHIRMFOTO=<dir> keeps a picture of the window for a look by eye.
    const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
    if (!ordner.isEmpty()) QVERIFY(fenster.grab().save(ordner + QStringLiteral("/hauptfenster.png")));
  }
};

QTEST_MAIN(TFFibuViewTest)
#include "tffibu_view_test.moc"
