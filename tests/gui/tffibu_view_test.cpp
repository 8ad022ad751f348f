#include <QtTest>

#include "gui/tffibu_view.h"

class TFFibuViewTest : public QObject {
  Q_OBJECT

 private slots:
  void zeigtDenProgrammtitelOhneMandant() {
    fibu::TFFibuView fenster;
    fenster.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fenster));
    QCOMPARE(fenster.windowTitle(), QStringLiteral("Finanzbuchhaltung"));
    // FIBU_BILDSCHIRMFOTO=<dir> keeps a picture of the window for a look by eye.
    const QString ordner = qEnvironmentVariable("FIBU_BILDSCHIRMFOTO");
    if (!ordner.isEmpty()) QVERIFY(fenster.grab().save(ordner + QStringLiteral("/hauptfenster.png")));
  }
};

QTEST_MAIN(TFFibuViewTest)
#include "tffibu_view_test.moc"
