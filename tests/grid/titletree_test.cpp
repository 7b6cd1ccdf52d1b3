// The title tree: splitting captions at "|", merging neighbouring columns with equal upper parts,
// and the heights of the title cells.
#include "fixedmeasure.h"
#include "grid/gridmodel.h"
#include "grid/tgridcolumn.h"
#include "grid/titletree.h"
#include "schedule/schedulecolumns.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct CaptionCase {
    const char* caption;
    const char* upper;
    int secondWord;
};

TEST(TitleTree, SplitsCaptionsAtBarsOnly) {
    const CaptionCase cases[] = {
        {"Дата", "Дата", -1},
        {"", "", -1},
        {"A|B", "A", 2},
        {"A||B", "A", 3},
        {"|A|B|", "A", 3},
        {"A|", "A", -1},
        {"|A", "A", -1},
        {"A|B|C", "A", 2},
        {"Компьютерное, бланочное тестирование|Дата", "Компьютерное, бланочное тестирование", 37},
        {"Ф.И.О. -экзаменатора", "Ф.И.О. -экзаменатора", -1},
    };
    for (const CaptionCase& c : cases) {
        const QString caption = QString::fromUtf8(c.caption);
        EXPECT_EQ(TitleTree::upperPart(caption), QString::fromUtf8(c.upper)) << c.caption;
        EXPECT_EQ(TitleTree::secondWordStart(caption), c.secondWord) << c.caption;
    }
}

// Columns made from captions, 50 pixels wide each.
struct Columns {
    std::vector<std::unique_ptr<TGridColumn>> owned;
    QList<TGridColumn*> list;
    explicit Columns(const QStringList& captions, int width = 50) {
        for (const QString& caption : captions) {
            owned.push_back(std::make_unique<TGridColumn>(QString(), caption, width));
            list.append(owned.back().get());
        }
    }
};

// The tree as text: "text(children)" for inner nodes, "text#column" for leaves.
QString Shape(const TTitleNode& node) {
    QStringList parts;
    for (int i = 0; i < node.childCount(); ++i) {
        const TTitleNode& child = *node.child(i);
        parts.append(child.hasChildren() ? child.text() + '(' + Shape(child) + ')'
                                         : child.text() + '#' + QString::number(child.columnIndex()));
    }
    return parts.join(u',');
}

TEST(TitleTree, BuildsMergedCellsFromEqualUpperParts) {
    const struct {
        QStringList captions;
        const char* shape;
    } cases[] = {
        {{"A", "B"}, "A#0,B#1"},
        {{"X|a", "X|b", "Y"}, "X(a#0,b#1),Y#2"},
        {{"X|a", "Y", "X|b"}, "X(a#0),Y#1,X(b#2)"},
        {{"A|B|x", "A|B|y", "A|z", "Q"}, "A(B(x#0,y#1),z#2),Q#3"},
        {{"x X|a", "x X|b"}, "x X(a#0,b#1)"},
        {{"X|a", "x|b"}, "X(a#0),x(b#1)"},
        {{"X|a", "X"}, "X(a#0,#1)"},
        {{"||X||a", "X|b|"}, "X(a#0,b|#1)"},
    };
    for (const auto& c : cases) {
        Columns columns(c.captions);
        TitleTree tree;
        tree.build(columns.list, true, 1);
        EXPECT_EQ(Shape(tree.root()), QString::fromUtf8(c.shape)) << c.captions.join(u' ').toStdString();
    }
}

TEST(TitleTree, WithoutMultiLevelTitlesEveryCaptionIsOneLeaf) {
    Columns columns({"X|a", "X|b"});
    TitleTree tree;
    tree.build(columns.list, false, 1);
    EXPECT_EQ(Shape(tree.root()), "X|a#0,X|b#1");
}

TEST(TitleTree, MergedCellIsAsWideAsItsColumnsAndTheLinesBetweenThem) {
    Columns columns({"X|a", "X|b", "X|c", "Y"});
    columns.list[0]->setWidth(30);
    columns.list[1]->setWidth(40);
    columns.list[2]->setWidth(50);
    for (int lineWidth : {0, 1}) {
        TitleTree tree;
        tree.build(columns.list, true, lineWidth);
        EXPECT_EQ(tree.root().child(0)->width(), 120 + 2 * lineWidth);
        EXPECT_EQ(tree.root().child(1)->width(), 50);
    }
    columns.list[3]->setVisible(false);
    TitleTree tree;
    tree.build(columns.list, true, 1);
    EXPECT_EQ(tree.root().child(1)->width(), -1);
}

TEST(TitleTree, ScheduleCaptionsGiveOneMergedCellOverTheFourTestColumns) {
    GridModel grid;
    AddScheduleColumns(grid);
    TitleTree tree;
    tree.build(grid.columns(), true, 1);
    const TTitleNode& root = tree.root();
    ASSERT_EQ(root.childCount(), 5);
    const char* upper[] = {"Дисциплина", "Кафедра", "Ф.И.О. -экзаменатора", "Форма контроля"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(root.child(i)->hasChildren());
        EXPECT_EQ(root.child(i)->text(), QString::fromUtf8(upper[i]));
        EXPECT_EQ(root.child(i)->columnIndex(), i);
    }
    const TTitleNode& merged = *root.child(4);
    EXPECT_EQ(merged.text(), QString::fromUtf8("Компьютерное, бланочное тестирование"));
    ASSERT_EQ(merged.childCount(), 4);
    const char* lower[] = {"Дата", "Время", "Аудитория", "вид контроля"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(merged.child(i)->text(), QString::fromUtf8(lower[i]));
        EXPECT_EQ(merged.child(i)->columnIndex(), 4 + i);
        EXPECT_EQ(merged.child(i)->column(), grid.column(4 + i));
    }
    EXPECT_EQ(merged.width(), 82 + 96 + 76 + 108 + 3);
}

TEST(TitleTree, HeightsLetEveryLeafReachTheBottom) {
    // "A|B|x" etc. at 50 pixels: 7 characters per line with the 4-pixel margin taken off.
    Columns columns({"A|B|x", "A|B|y", "A|zzzz zzzz zzzz", "Q"});
    TitleTree tree;
    tree.build(columns.list, true, 1);
    const int line = FixedMeasure::LineHeight;
    const int margin = 10;
    const int common = tree.computeHeights(FixedMeasure(), margin);
    // Under A: B over x (two single lines) and the leaf z (three wrapped lines): z is taller.
    const int underA = 3 * line + margin;
    EXPECT_EQ(common, line + margin + underA);
    const TTitleNode& a = *tree.root().child(0);
    const TTitleNode& q = *tree.root().child(1);
    EXPECT_EQ(q.height(), common);
    EXPECT_EQ(TitleTree::childrenHeight(a), underA);
    EXPECT_EQ(a.height(), common - underA);
    const TTitleNode& b = *a.child(0);
    EXPECT_EQ(a.child(1)->height(), underA);
    EXPECT_EQ(b.child(0)->height(), line + margin);
    EXPECT_EQ(b.height(), underA - (line + margin));
    for (const TTitleNode* leaf : tree.leaves()) {
        int reach = leaf->height();
        for (const TTitleNode* node = leaf->parent(); node->parent(); node = node->parent())
            reach += node->height();
        EXPECT_EQ(reach, common) << leaf->text().toStdString();
    }
}

TEST(TitleTree, EmptyTextNeedsOneLineAndNoWidthNeedsNone) {
    Columns columns({"", "Q"});
    columns.list[1]->setWidth(0);
    TitleTree tree;
    tree.build(columns.list, true, 1);
    EXPECT_EQ(tree.computeHeights(FixedMeasure(), 10), FixedMeasure::LineHeight + 10);
    columns.list[0]->setWidth(0);
    tree.build(columns.list, true, 1);
    EXPECT_EQ(tree.computeHeights(FixedMeasure(), 10), 10);
}

} // namespace
