// The dimension grid as a user meets it: every shown field of every configuration takes a click,
// keeps the focus while keys are typed into it, and is reached by Tab.
#include "AppTestSupport.h"
#include "vehicle/VehicleFields.h"
#include "vehicle/VehicleSchematic.h"
#include "vehicle/VehicleType.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <vector>

using namespace velrok;
using namespace velrok::apptest;

namespace {

// The edit fields of Frame1 that a configuration shows, in the grid's reading order.
std::vector<QLineEdit*> ShownGridFields(QWidget* window)
{
    QWidget* frame = Child<QWidget>(window, "Frame1");
    std::vector<QLineEdit*> shown;
    for (std::string_view name : VehicleFieldNames()) {
        auto* field = window->findChild<QLineEdit*>(QString::fromLatin1(name.data(), qsizetype(name.size())));
        if (field != nullptr && frame->isAncestorOf(field) && field->isVisible())
            shown.push_back(field);
    }
    return shown;
}

QString NameOf(const QWidget* w)
{
    return w == nullptr ? QStringLiteral("(none)") : w->objectName();
}

void PickType(QWidget* window, int code)
{
    auto* combo = Child<QComboBox>(window, "Combo1");
    const int index = combo->findData(code);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

class DimensionGridTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void everyShownFieldTakesAClickAndTypedKeys();
    void tabVisitsEveryShownFieldOfTheGrid();
    void shownVehicleKeepsTheFocusedFieldFocused();

  private:
    std::unique_ptr<Harness> m_h;
    std::unique_ptr<app::frmVehicleTurning> m_w;
};

void DimensionGridTest::init()
{
    m_h = std::make_unique<Harness>();
    m_h->CreateFile("DefaultVehicles.vdt");
    m_w = m_h->LoadedWindow();
    m_w->show();
    QApplication::setActiveWindow(m_w.get());
    QVERIFY(QTest::qWaitForWindowActive(m_w.get()));
}

void DimensionGridTest::cleanup()
{
    m_w.reset();
    m_h.reset();
}

void DimensionGridTest::everyShownFieldTakesAClickAndTypedKeys()
{
    for (int code = kFirstVehicleType; code <= kLastVehicleType; ++code) {
        PickType(m_w.get(), code);
        const std::vector<QLineEdit*> fields = ShownGridFields(m_w.get());
        // Every field the show/hide rule names is among them (and nothing else of the grid).
        const ShownControls rule = ShowTypeFields(code);
        size_t ruleFieldsInGrid = 0;
        for (std::string_view name : rule.fields)
            ruleFieldsInGrid += Child<QWidget>(m_w.get(), "Frame1")
                                    ->isAncestorOf(Child<QWidget>(m_w.get(), std::string(name).c_str()));
        // The three limit fields lie in the frame too and are always shown.
        QCOMPARE(fields.size(), ruleFieldsInGrid + 3);

        for (QLineEdit* field : fields) {
            const QString what = QStringLiteral("code %1, %2").arg(code).arg(field->objectName());
            // Click where the user sees the field: whatever lies on top there gets the click.
            const QPoint centre = field->mapTo(m_w.get(), field->rect().center());
            QWidget* under = m_w->childAt(centre);
            QVERIFY2(under == field, qPrintable(what + " is covered by " + NameOf(under)));
            QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(m_w.get(), centre));
            QVERIFY2(QApplication::focusWidget() == field,
                     qPrintable(what + ": focus went to " + NameOf(QApplication::focusWidget())));
            // The keys go wherever the focus is, as on the keyboard.
            QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(static_cast<QWidget*>(nullptr), QStringLiteral("7,25"));
            QVERIFY2(QApplication::focusWidget() == field,
                     qPrintable(what + ": typing moved the focus to " + NameOf(QApplication::focusWidget())));
            QCOMPARE(field->text(), QStringLiteral("7,25"));
        }
        // Nothing typed spilled into the speed field.
        QCOMPARE(Child<QLineEdit>(m_w.get(), "txt_Speed")->text(), QStringLiteral("0"));
    }
}

void DimensionGridTest::tabVisitsEveryShownFieldOfTheGrid()
{
    for (int code : {2, 9, 10, 13}) {
        PickType(m_w.get(), code);
        const std::vector<QLineEdit*> fields = ShownGridFields(m_w.get());
        auto* first = Child<QLineEdit>(m_w.get(), "txt_Front");
        first->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(first));
        std::vector<QWidget*> visited = {first};
        // Tab until the focus leaves the grid's dimension fields.
        for (int i = 0; i < 40; ++i) {
            QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            if (std::find(fields.begin(), fields.end(), now) == fields.end() || now == first)
                break;
            visited.push_back(now);
        }
        // The limit fields come before the grid in the chain; every grid field is visited once.
        for (QLineEdit* field : fields) {
            if (field->objectName().startsWith(QStringLiteral("txt_M")) ||
                field->objectName() == QStringLiteral("txt_LockToLock"))
                continue;
            QVERIFY2(
                std::count(visited.begin(), visited.end(), field) == 1,
                qPrintable(QStringLiteral("code %1: Tab skipped %2").arg(code).arg(field->objectName())));
        }
    }
}

void DimensionGridTest::shownVehicleKeepsTheFocusedFieldFocused()
{
    // A triple trailer saved and shown again re-runs the show/hide pass; the field being edited
    // keeps the focus through it.
    PickType(m_w.get(), 10);
    QTest::keyClicks(Child<QLineEdit>(m_w.get(), "txt_Name"), "Triple");
    auto* wb4 = Child<QLineEdit>(m_w.get(), "txt_Wheelbase4");
    wb4->setFocus(Qt::MouseFocusReason);
    wb4->selectAll();
    QTest::keyClicks(static_cast<QWidget*>(nullptr), QStringLiteral("8"));
    Child<QPushButton>(m_w.get(), "Command1")->click(); // as its shortcut does, without taking the focus
    QCOMPARE(m_w->Library().List().size(), size_t(1));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(wb4));
    QCOMPARE(wb4->text(), QStringLiteral("8"));
}

std::unique_ptr<QObject> MakeDimensionGridTest()
{
    return std::make_unique<DimensionGridTest>();
}

#include "DimensionGridTest.moc"
