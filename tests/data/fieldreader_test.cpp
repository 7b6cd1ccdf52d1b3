// Reading a field on every record at once: a lookup's list read once into a table by key must give
// exactly what the field's own scan gives.
#include "data/dataset.h"
#include "data/field.h"
#include "data/fieldreader.h"
#include "data/valuecomparison.h"
#include "datamodule/tdm_mb.h"
#include "support/contractdb.h"

#include <QDate>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "qstringprinter.h"

namespace {

// Two values share a key exactly when the lookup counts them as equal (truth values aside: true
// equals 1 and "true", which are not equal to each other, so no key can stand for them).
TEST(FieldReaderTest, EqualityKeysFollowTheLookupsEquality) {
    const QVariant values[] = {QVariant(1),
                               QVariant(qlonglong(1)),
                               QVariant(1.0),
                               QVariant(QStringLiteral("1")),
                               QVariant(2),
                               QVariant(0.1),
                               QVariant(QStringLiteral("0.1")),
                               QVariant(1.5),
                               QVariant(qlonglong(1) << 40),
                               QVariant(double(qlonglong(1) << 40)),
                               QVariant(QStringLiteral("Экзамен")),
                               QVariant(QStringLiteral("экзамен")),
                               QVariant(QDate(2026, 12, 11))};
    for (const QVariant& left : values)
        for (const QVariant& right : values)
            EXPECT_EQ(EqualityKey(left) == EqualityKey(right), ValuesEqual(left, right))
                << left.toString().toStdString() << " (" << left.typeName() << ") / "
                << right.toString().toStdString() << " (" << right.typeName() << ")";
}

// The schedule of the demo group with a Null key, a key no type has, a type added after the list was
// first read, and a list whose names repeat: every field of every record reads as the field does.
TEST(FieldReaderTest, EveryRecordReadsAsTheFieldItself) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = testsupport::BuildContractDb(dir.path(), true, "demo.db");
    testsupport::ExecuteSql(file,
                            "UPDATE ControlSchedule SET id_typeControl_1 = NULL WHERE id_schedule % 7 = 0;"
                            "UPDATE ControlSchedule SET id_typeControl_1 = 999 WHERE id_schedule % 7 = 1;"
                            "INSERT INTO TypeControl VALUES (77, 'Устный');"
                            "UPDATE ControlSchedule SET id_typeControl_1 = 77 WHERE id_schedule % 7 = 2;");
    TDM_MB m;
    m.ADOCon->setConnectionString(
        "User ID=zor_demo;Password=Zor27demo;Data Source=embedded;Initial Catalog=\"" + file + "\"");
    m.ADOCon->open();
    m.ADOTable1->open();
    const QVariant keys[] = {1, 1, 1, 1};
    const char* parameters[] = {"@id_a_year", "@id_semester", "@id_faculty", "@id_group"};
    for (int i = 0; i < 4; ++i)
        m.ADOQ_RatingTable->findParam(parameters[i])->setValue(keys[i]);
    m.ADOQ_RatingTable->open();
    const DataSet& schedule = *m.ADOQ_RatingTable;
    ASSERT_GE(schedule.recordCount(), 7);
    int looked = 0;
    for (int index = 0; index < schedule.fieldCount(); ++index) {
        const Field* field = schedule.field(index);
        const FieldReader reader(*field);
        for (int record = -1; record <= schedule.recordCount(); ++record) {
            EXPECT_EQ(reader.textAt(record), field->asStringAt(record)) << field->fieldName().toStdString();
            EXPECT_TRUE(SameValue(reader.valueAt(record), field->valueAt(record)));
            looked += field->isLookup() && !reader.textAt(record).isEmpty();
        }
    }
    EXPECT_GT(looked, 0);
}

} // namespace
