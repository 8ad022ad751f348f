// The dialog of the electronic advance return in its window on the demo
// client: its title, its pages and the sender data it proposes; closed
// without starting, it writes no file.
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

#include "demo_mandant.h"
#include "gui/formulardialog.h"
#include "gui_hilfen.h"
#include "vat/elster.h"

using fibu::test::beim_naechsten_dialog;
using fibu::test::foto;

class ElsterViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void dialogMitSeiten() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    m.basis.set(fibu::BasisFelder::Steuernummer, "9181008150123");
    auto& fs = m.fs();
    const std::string coala = fibu::pfad_verbinden(m.fibu_pfad(), "coala");
    QVERIFY(fs.verzeichnis_anlegen(coala));
    QVERIFY(fs.schreibe_datei_atomar(fibu::pfad_verbinden(coala, "finanz2.cer"), "Zertifikat"));
    // Sender data stored before: no message about new data first.
    QVERIFY(fs.schreibe_datei_atomar(fibu::pfad_verbinden(m.daten_verzeichnis(), "coala.ini"),
                                     "[NutzdatenHeader]\r\nLieferantEMail=buero@demo.example\r\n"));
    QStringList seiten;
    QString name, email;
    auto lief = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
      QVERIFY(d);
      QCOMPARE(d->windowTitle(), QStringLiteral("ELSTER - Umsatzsteuervoranmeldung"));
      QVERIFY(d->seiten());
      for (int i = 0; i < d->seiten()->count(); ++i) seiten << d->seiten()->tabText(i);
      foto(d, QStringLiteral("elster"));
      d->seiten()->setCurrentIndex(1);
      name = qobject_cast<QLineEdit*>(d->editor(13))->text();
      email = qobject_cast<QLineEdit*>(d->editor(16))->text();
      foto(d, QStringLiteral("elster_lieferant"));
      d->reject();
    });
    fibu::TfCoalaf t(m);
    QVERIFY(!t.ausfuehren());
    QVERIFY(*lief);
    QCOMPARE(seiten, (QStringList{"Anmeldung", "Lieferant", "Berater", "Nutzdaten"}));
    QCOMPARE(name, QStringLiteral("Demo Handwerk GmbH"));
    QCOMPARE(email, QStringLiteral("buero@demo.example"));
    QVERIFY(!fs.existiert(fibu::pfad_verbinden(m.daten_verzeichnis(), "ustva01.xml")));
  }
};

QTEST_MAIN(ElsterViewTest)
#include "elster_view_test.moc"
