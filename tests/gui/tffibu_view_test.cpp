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
  }
};

QTEST_MAIN(TFFibuViewTest)
#include "tffibu_view_test.moc"
