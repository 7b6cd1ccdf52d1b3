// The highlight, scrolling and placement of an open drop-down list.
#include "schedule/dropdownlist.h"

#include <gtest/gtest.h>

using Move = DropDownList::Move;

TEST(DropDownListTest, HeightIsAtMostSevenLinesAndSevenForAnEmptyList) {
    const struct {
        int rows;
        int lines;
        bool scrollBar;
    } cases[] = {{0, 7, false}, {1, 1, false}, {4, 4, false}, {7, 7, false}, {8, 7, true}, {40, 7, true}};
    for (const auto& item : cases) {
        DropDownList list;
        list.open(item.rows, -1);
        EXPECT_EQ(list.lineCount(), item.lines) << item.rows;
        EXPECT_EQ(list.hasScrollBar(), item.scrollBar) << item.rows;
        EXPECT_EQ(list.rowAtLine(0), item.rows > 0 ? 0 : -1);
        EXPECT_EQ(list.rowAtLine(list.lineCount() - 1), item.rows > 0 ? list.lineCount() - 1 : -1);
    }
}

TEST(DropDownListTest, KeysMoveTheHighlightAndKeepItInView) {
    const struct {
        int rows;
        int start;
        Move move;
        int highlighted;
        int top;
    } cases[] = {
        // With nothing highlighted the first arrow or page key highlights the first row.
        {20, -1, Move::Down, 0, 0},     {20, -1, Move::Up, 0, 0},
        {20, -1, Move::PageDown, 0, 0}, {20, -1, Move::End, 19, 13},
        {20, -1, Move::Home, 0, 0},     {20, 0, Move::Up, 0, 0},
        {20, 6, Move::Down, 7, 6}, // opened with the chosen row at the top
        {20, 0, Move::End, 19, 13},     {20, 19, Move::Home, 0, 0},
        {20, 0, Move::PageDown, 6, 0}, // by the visible rows less one
        {20, 6, Move::PageDown, 12, 6}, {20, 17, Move::PageDown, 19, 13},
        {20, 12, Move::PageUp, 6, 6},   {20, 3, Move::PageUp, 0, 0},
        {20, 19, Move::Down, 19, 13},   {3, 1, Move::PageDown, 2, 0}, // three rows: a page is two
        {0, -1, Move::Down, -1, 0},
    };
    for (const auto& item : cases) {
        DropDownList list;
        list.open(item.rows, item.start);
        list.move(item.move);
        EXPECT_EQ(list.highlighted(), item.highlighted)
            << item.rows << " " << item.start << " " << int(item.move);
        EXPECT_EQ(list.topRow(), item.top) << item.rows << " " << item.start << " " << int(item.move);
    }
}

TEST(DropDownListTest, OpensScrolledToTheChosenRow) {
    DropDownList list;
    list.open(20, 15);
    EXPECT_EQ(list.highlighted(), 15);
    EXPECT_EQ(list.topRow(), 13);
    EXPECT_EQ(list.rowAtLine(2), 15);
    list.open(20, 25);
    EXPECT_EQ(list.highlighted(), -1);
    EXPECT_EQ(list.topRow(), 0);
    list.scrollTo(99);
    EXPECT_EQ(list.topRow(), 13);
    list.scrollTo(-4);
    EXPECT_EQ(list.topRow(), 0);
}

TEST(DropDownListTest, OpensBelowTheSelectorOrAboveWhenBelowReachesPastTheScreen) {
    const QRect screen(0, 0, 1024, 768);
    EXPECT_EQ(DropDownList::placement(QRect(100, 200, 225, 21), 100, screen), QPoint(100, 221));
    EXPECT_EQ(DropDownList::placement(QRect(100, 647, 225, 21), 100, screen), QPoint(100, 668));
    EXPECT_EQ(DropDownList::placement(QRect(100, 648, 225, 21), 100, screen), QPoint(100, 548));
    EXPECT_EQ(DropDownList::placement(QRect(1100, 900, 225, 21), 100, QRect(1024, 0, 1280, 1024)),
              QPoint(1100, 921));
}
