// The dialog of the DATEV hand-over of all bookings in its window on the
// demo client: its title, its fields in order, the password not shown;
// cancelled, it writes nothing and keeps DATEV.PAR as it was.
#include <QLineEdit>
#include <QtTest>

#include "demo_mandant.h"
#include "exchange/datev_export.h"
#include "gui/formulardialog.h"
#include "gui_hilfen.h"

using fibu::test::beim_naechsten_dialog;
using fibu::test::foto;

class DatevViewTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { fibu::test::wartende_beenden(); }

  void alleBuchungen() {
    fibu::test::Demo demo;
    fibu::Mandant& m = *demo.m;
    fibu::Satz par = fibu::datev_par_lesen(m);
    fibu::TFDatev dialog(m, fibu::DatevDialog::Alle, par);
    QStringList beschriftungen;
    bool verdeckt = false;
    auto lief = beim_naechsten_dialog([&](QWidget* w) {
      auto* d = qobject_cast<fibu::TEntryFormDialog*>(w);
      QVERIFY(d);
      QCOMPARE(d->windowTitle(), QStringLiteral("Übergabe aller Buchungen an Datev"));
      for (const auto& f : dialog.form().felder())
        beschriftungen << QString::fromStdString(f.beschriftung);
      auto* passwort = qobject_cast<QLineEdit*>(d->editor(7));
      QVERIFY(passwort);
      verdeckt = passwort->echoMode() == QLineEdit::Password;
      foto(d, QStringLiteral("datev_alle"));
      d->reject();
    });
    QVERIFY(!dialog.ausfuehren());
    QVERIFY(*lief);
    QCOMPARE(
        beschriftungen,
        (QStringList{"Zielverzeichnis", "Beraternummer", "Beratername", "Mandantennummer",
                     "DFV-Kennzeichen", "Abrechnungsnummer", "Passwort", "Datum von", "Datum bis",
                     "Verrechnungskonto (für Splitbuchungen)", "Eröffnungsbuchungen unterdrücken",
                     "Buchungstext statt Kontenbezeichnung übergeben"}));
    QVERIFY(verdeckt);
    QVERIFY(!m.fs().finde_datei(m.daten_verzeichnis(), "DATEV.PAR"));
  }
};

QTEST_MAIN(DatevViewTest)
#include "datev_view_test.moc"
